// Choosing the configuration file for the user's interface language.
#include "config/language_tags.h"

#include <gtest/gtest.h>

#include <string>

namespace setupmenu {
namespace {

TEST(PickLanguage, TheWholeNameFirstThenTheLanguageAlone) {
    const struct {
        const char* list;
        const char* user;      // the system's locale name
        const char* picked;    // null: none
    } cases[] = {
        {"de, fr, ja, pt-BR", "pt-BR", "pt-BR"},
        {"de, fr, ja, pt-BR", "pt-PT", nullptr},
        {"pt, pt-BR", "pt-BR", "pt-BR"},
        {"pt-BR pt", "pt-PT", "pt"},
        {"de, fr, ja, pt-BR", "de-AT", "de"},
        {"DE,FR", "de-DE", "DE"},
        {"de-at;de-de", "de-DE", "de-de"},
        {"de,,\t fr", "fr-FR", "fr"},
        {"de, fr", "en-US", nullptr},
        {"de", "de", "de"},
        {"de-DE", "de", nullptr},
        {"sr-Latn, sr", "sr-Latn-RS", "sr"},
        {"", "de-DE", nullptr},
        {"de", "", nullptr},
        {"d", "de-DE", nullptr},
        {"dee", "de-DE", nullptr},
        {"de-DEU", "de-DE", nullptr},
        {"de_DE, de", "de-DE", "de"},  // only '-' joins language and region
        {"..\\de, fr/de", "de-DE", nullptr},
    };
    for (const auto& c : cases) {
        std::string list = c.list;
        const char* tag = PickLanguage(list.data(), c.user);
        EXPECT_EQ(tag != nullptr, c.picked != nullptr) << c.list << " for " << c.user;
        if (tag && c.picked) {
            EXPECT_STREQ(tag, c.picked) << c.list;
            EXPECT_TRUE(IsLanguageTag(tag)) << tag;
        }
    }
}

TEST(BuildLanguagePath, PutsTheTagBeforeTheFileNamesExtension) {
    const struct {
        const char* ini;
        const char* tag;
        size_t capacity;
        const char* expected;  // empty: refused
    } cases[] = {
        {"D:\\SETUP.INI", "de", 64, "D:\\SETUP.de.INI"},
        {"D:\\menu.cfg", "pt-BR", 64, "D:\\menu.pt-BR.cfg"},
        {"D:\\my.dir\\menu", "de", 64, "D:\\my.dir\\menu.de"},
        {"D:\\my.dir/menu", "de", 64, "D:\\my.dir/menu.de"},
        {"D:\\a.b.INI", "fr", 64, "D:\\a.b.fr.INI"},
        {"SETUP.INI", "de", 64, "SETUP.de.INI"},
        {".INI", "de", 64, ".de.INI"},
        // Exactly full, and one short: 12 + 3 characters and the terminator.
        {"D:\\SETUP.INI", "de", 16, "D:\\SETUP.de.INI"},
        {"D:\\SETUP.INI", "de", 15, ""},
        {"D:\\SETUP.INI", "de", 0, ""},
    };
    for (const auto& c : cases) {
        char out[64] = "untouched";
        const bool built = BuildLanguagePath(out, c.capacity, c.ini, c.tag);
        EXPECT_EQ(built, c.expected[0] != '\0') << c.ini << " " << c.capacity;
        if (c.capacity > 0) EXPECT_STREQ(out, c.expected) << c.ini << " " << c.capacity;
    }
}

}  // namespace
}  // namespace setupmenu
