// The checker's part for a button's ShowIf and for Main/Languages: what each
// condition means on the machine the checker runs on, and the mistakes that
// make the launcher ignore a ShowIf or a language.
#pragma once

namespace setupmenu {
namespace check {

// Findings for a ShowIf value: every condition the launcher cannot read.
void CheckShowIf(const char* section, const char* value);

// "[ButtonN] ShowIf = ..." lines: each condition and whether it holds here.
void PrintShowIf(const char* section);

// Findings for a Languages value: tags that are no tags, language files that
// are missing or that the launcher would refuse.
void CheckLanguages(const char* value);

// "[Main] Languages = ..." line: the file the launcher reads for this machine's user.
void PrintLanguages();

// True when the button has something to show but its ShowIf does not hold here.
bool HiddenByShowIf(int button);

}  // namespace check
}  // namespace setupmenu
