// See autorun_rules.h.
#include "checker/autorun_rules.h"

#include "config/text_rules.h"

namespace setupmenu {
namespace check {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

OpenCommand SplitOpenCommand(const char* value, LeadBytePredicate isLeadByte) {
    const std::string_view whole(value);
    const char* tail = CutCommandTail(value, isLeadByte);
    std::string_view program = whole.substr(0, static_cast<size_t>(tail - value));
    program = Trim(program);
    if (!program.empty() && program.front() == '"') {
        program.remove_prefix(1);
        if (!program.empty() && program.back() == '"') program.remove_suffix(1);
    }
    return {program, std::string_view(tail)};
}

bool HasExtension(std::string_view program) { return FileNameOf(program).find('.') != std::string_view::npos; }

bool IsLauncherName(std::string_view program, std::string_view baseName) {
    if (FileNameOf(program).size() != program.size() || baseName.empty()) return false;
    if (!HasExtension(program)) return EqualsNoCase(program, baseName);
    return program.size() == baseName.size() + 4 && EqualsNoCase(program.substr(0, baseName.size()), baseName) &&
           EqualsNoCase(program.substr(baseName.size()), ".exe");
}

std::string_view IconFileOf(std::string_view value) {
    value = Trim(value);
    const size_t comma = value.rfind(',');
    if (comma != std::string_view::npos) {
        std::string_view index = Trim(value.substr(comma + 1));
        if (!index.empty() && index.front() == '-') index.remove_prefix(1);
        const bool digits = !index.empty() && index.find_first_not_of("0123456789") == std::string_view::npos;
        if (digits) value = Trim(value.substr(0, comma));
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

}  // namespace check
}  // namespace setupmenu
