// The character type chosen before Qt reads the locale: always UTF-8, and
// every other category as the C library read it from the environment.
#include <gtest/gtest.h>

#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <string>

#include "shell/desktop_integration/character_type.h"

namespace finbowl {
namespace {

using Variables = std::map<std::string, std::string>;

const char* const kLocaleVariables[] = {
    "LANG",       "LC_ALL",       "LC_CTYPE",       "LC_NUMERIC",       "LC_TIME",
    "LC_COLLATE", "LC_MONETARY",  "LC_MESSAGES",    "LC_PAPER",         "LC_NAME",
    "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};

// Every locale variable unset, then `assigned` set.
void StartFrom(const Variables& assigned) {
  for (const char* name : kLocaleVariables) {
    ::unsetenv(name);
  }
  for (const auto& [name, value] : assigned) {
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

Variables LocaleVariables() {
  Variables set;
  for (const char* name : kLocaleVariables) {
    if (const char* value = std::getenv(name)) {
      set[name] = value;
    }
  }
  return set;
}

// What the C library makes of the environment, as Qt will read it when it
// starts: the character set, and every category but the character type.
std::pair<std::string, std::string> Resolve() {
  std::setlocale(LC_ALL, "");
  const std::string characterSet = nl_langinfo(CODESET);
  std::setlocale(LC_CTYPE, "C");
  const std::string others = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  return {characterSet, others};
}

TEST(CharacterType, BecomesUtf8AndEveryOtherCategoryKeepsWhatItWas) {
  const std::map<std::string, Variables> rows = {
      {"nothing set", {}},
      {"LANG=C", {{"LANG", "C"}}},
      {"LANG=POSIX", {{"LANG", "POSIX"}}},
      {"LC_ALL=C over a UTF-8 LANG", {{"LC_ALL", "C"}, {"LANG", "C.UTF-8"}}},
      // LC_ALL wins over a category of its own, and still does after.
      {"LC_ALL=POSIX over LC_TIME", {{"LC_ALL", "POSIX"}, {"LC_TIME", "C.UTF-8"}}},
      {"LANG=C beside a UTF-8 LC_TIME", {{"LANG", "C"}, {"LC_TIME", "C.UTF-8"}}},
      {"only the character type C", {{"LANG", "C.UTF-8"}, {"LC_CTYPE", "C"}}},
      // The C library refuses the whole environment and stays at C.
      {"a locale that is not installed", {{"LANG", "xx_YY.UTF-8"}}},
  };
  for (const auto& [name, assigned] : rows) {
    SCOPED_TRACE(name);
    StartFrom(assigned);
    const auto [characterSet, others] = Resolve();
    ASSERT_NE(characterSet, "UTF-8") << "the row does not start from a legacy locale";

    ChooseUtf8CharacterType();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(Resolve(), std::make_pair(std::string("UTF-8"), others));
  }
}

TEST(CharacterType, AUtf8LocaleIsLeftAsItIs) {
  for (const Variables& assigned :
       {Variables{{"LANG", "C.UTF-8"}}, Variables{{"LC_ALL", "C.UTF-8"}, {"LANG", "C"}},
        Variables{{"LC_CTYPE", "C.UTF-8"}, {"LC_TIME", "POSIX"}}}) {
    StartFrom(assigned);
    ChooseUtf8CharacterType();
    EXPECT_EQ(LocaleVariables(), assigned) << assigned.begin()->first;
  }
}

}  // namespace
}  // namespace finbowl
