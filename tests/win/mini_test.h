// A very small test framework for the Windows-side test programs.
//
//   TEST(Name) { ... }              registers a test
//   CHECK(cond)                     records a failure with file:line, goes on
//   CHECK_EQ(actual, expected)      same, printing both values; char pointers
//                                   compare as texts (null-safe), other
//                                   pointers and handles by identity
//   CHECK_MEM(actual, expected, n)  n bytes compared, first difference shown
//   REQUIRE(cond)                   CHECK, and leave the test when it fails
//   CASE("row %d", i)               labels every failure in the current scope
//   ForEachRow(table, fn)           runs fn on each row inside CASE(row.name)
//
// A test program's main calls mini_test::RunTests(argc, argv): with no
// arguments it runs every test, otherwise only the named ones ("--list"
// prints the names). The exit code is 0 when nothing failed, 1 otherwise,
// and 2 for an unknown test name.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace mini_test {

using TestFunction = void (*)();

struct TestEntry {
    const char* name;
    TestFunction function;
};

inline std::vector<TestEntry>& Registry() {
    static std::vector<TestEntry> tests;
    return tests;
}

struct Registrar {
    Registrar(const char* name, TestFunction function) { Registry().push_back({name, function}); }
};

struct RunState {
    const char* currentTest = "";
    int failuresInTest = 0;
    std::vector<std::string> context;
};

inline RunState& State() {
    static RunState state;
    return state;
}

__attribute__((format(printf, 1, 2))) inline std::string Format(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Labels failures while it lives; nests.
class Scope {
public:
    explicit Scope(const std::string& label) { State().context.push_back(label); }
    template <typename... Args>
    explicit Scope(const char* format, Args... args) {
        if constexpr (sizeof...(Args) == 0) {
            State().context.push_back(format);
        } else {
            State().context.push_back(Format(format, args...));
        }
    }
    ~Scope() { State().context.pop_back(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

inline void Fail(const char* file, int line, const std::string& what) {
    ++State().failuresInTest;
    std::string where;
    for (const std::string& label : State().context) where += " [" + label + "]";
    std::printf("%s:%d: failure in %s%s:\n    %s\n", file, line, State().currentTest, where.c_str(),
                what.c_str());
}

// Printable forms of the values a check compares.
inline std::string Quote(const char* text, size_t limit = 200) {
    if (!text) return "null";
    std::string out = "\"";
    size_t n = 0;
    for (const char* p = text; *p; ++p, ++n) {
        if (n == limit) {
            out += Format("...\" (%u chars)", static_cast<unsigned>(std::strlen(text)));
            return out;
        }
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '"' || c == '\\') out += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20 || c >= 0x7F) out += Format("\\x%02X", c);
        else out += static_cast<char>(c);
    }
    return out + "\"";
}

template <typename T>
std::string Show(const T& value) {
    if constexpr (std::is_same_v<T, std::nullptr_t>) {
        return "null";
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_same_v<std::decay_t<T>, char*> || std::is_same_v<std::decay_t<T>, const char*>) {
        return Quote(value);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return Quote(value.c_str());
    } else if constexpr (std::is_pointer_v<T>) {
        return value ? Format("%p", static_cast<const void*>(value)) : std::string("null");
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        const long long v = static_cast<long long>(value);
        return Format("%lld (0x%llX)", v, static_cast<unsigned long long>(v));
    } else {
        return "(value)";
    }
}

template <typename T>
constexpr bool IsText = std::is_same_v<std::decay_t<T>, char*> || std::is_same_v<std::decay_t<T>, const char*> ||
                        std::is_same_v<std::decay_t<T>, std::string>;

inline const char* TextOf(const char* text) { return text; }
inline const char* TextOf(const std::string& text) { return text.c_str(); }

template <typename A, typename B>
bool Equal(const A& a, const B& b) {
    if constexpr (IsText<A> && IsText<B>) {
        const char* x = TextOf(a);
        const char* y = TextOf(b);
        if (!x || !y) return x == y;
        return std::strcmp(x, y) == 0;
    } else if constexpr ((std::is_integral_v<A> || std::is_enum_v<A>) && (std::is_integral_v<B> || std::is_enum_v<B>)) {
        // Compared by value whatever the integer types; a negative number
        // never equals a large unsigned one.
        const long long x = static_cast<long long>(a);
        const long long y = static_cast<long long>(b);
        if ((std::is_signed_v<A> && x < 0) != (std::is_signed_v<B> && y < 0)) return false;
        return x == y;
    } else if constexpr (std::is_same_v<A, std::nullptr_t> || std::is_same_v<B, std::nullptr_t>) {
        return static_cast<const void*>(a) == static_cast<const void*>(b);
    } else if constexpr (std::is_pointer_v<A> && std::is_pointer_v<B>) {
        return static_cast<const void*>(a) == static_cast<const void*>(b);
    } else {
        return a == b;
    }
}

template <typename A, typename B>
bool CheckEq(const char* file, int line, const char* actualExpr, const char* expectedExpr, const A& actual,
             const B& expected) {
    if (Equal(actual, expected)) return true;
    Fail(file, line,
         Format("CHECK_EQ(%s, %s)\n      actual:   %s\n      expected: %s", actualExpr, expectedExpr,
                Show(actual).c_str(), Show(expected).c_str()));
    return false;
}

inline bool CheckMem(const char* file, int line, const char* expr, const void* actual, const void* expected,
                     size_t size) {
    const unsigned char* a = static_cast<const unsigned char*>(actual);
    const unsigned char* e = static_cast<const unsigned char*>(expected);
    for (size_t i = 0; i < size; ++i) {
        if (a[i] != e[i]) {
            Fail(file, line,
                 Format("CHECK_MEM(%s): %u bytes differ first at offset %u: actual 0x%02X, expected 0x%02X", expr,
                        static_cast<unsigned>(size), static_cast<unsigned>(i), a[i], e[i]));
            return false;
        }
    }
    return true;
}

// Runs fn(row) for every row of a table, each inside a scope named row.name.
template <typename Row, size_t N, typename Function>
void ForEachRow(const Row (&rows)[N], Function fn) {
    for (size_t i = 0; i < N; ++i) {
        Scope scope("row %u: %s", static_cast<unsigned>(i), rows[i].name);
        fn(rows[i]);
    }
}

inline int RunTests(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<const TestEntry*> chosen;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            for (const TestEntry& test : Registry()) std::printf("%s\n", test.name);
            return 0;
        }
        const TestEntry* found = nullptr;
        for (const TestEntry& test : Registry()) {
            if (std::strcmp(test.name, argv[i]) == 0) found = &test;
        }
        if (!found) {
            std::printf("no test named %s\n", argv[i]);
            return 2;
        }
        chosen.push_back(found);
    }
    if (chosen.empty()) {
        for (const TestEntry& test : Registry()) chosen.push_back(&test);
    }
    int failedTests = 0;
    for (const TestEntry* test : chosen) {
        State().currentTest = test->name;
        State().failuresInTest = 0;
        State().context.clear();
        std::printf("[ RUN  ] %s\n", test->name);
        test->function();
        if (State().failuresInTest) {
            ++failedTests;
            std::printf("[ FAIL ] %s (%d failed checks)\n", test->name, State().failuresInTest);
        } else {
            std::printf("[  OK  ] %s\n", test->name);
        }
    }
    std::printf("%u tests, %d failed\n", static_cast<unsigned>(chosen.size()), failedTests);
    return failedTests ? 1 : 0;
}

}  // namespace mini_test

#define MINI_TEST_CONCAT2(a, b) a##b
#define MINI_TEST_CONCAT(a, b) MINI_TEST_CONCAT2(a, b)

#define TEST(name)                                                           \
    static void name();                                                      \
    static const ::mini_test::Registrar name##_registrar(#name, &name);      \
    static void name()

#define CHECK(cond) \
    ((cond) ? true : (::mini_test::Fail(__FILE__, __LINE__, "CHECK(" #cond ")"), false))

#define CHECK_EQ(actual, expected) \
    ::mini_test::CheckEq(__FILE__, __LINE__, #actual, #expected, (actual), (expected))

#define CHECK_MEM(actual, expected, size) \
    ::mini_test::CheckMem(__FILE__, __LINE__, #actual, (actual), (expected), (size))

#define REQUIRE(cond) \
    do {              \
        if (!CHECK(cond)) return; \
    } while (0)

#define CASE(...) ::mini_test::Scope MINI_TEST_CONCAT(mini_test_scope_, __LINE__)(__VA_ARGS__)

#define MINI_TEST_MAIN() \
    int main(int argc, char** argv) { return ::mini_test::RunTests(argc, argv); }
