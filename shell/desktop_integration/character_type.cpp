#include "shell/desktop_integration/character_type.h"

#include <langinfo.h>
#include <strings.h>

#include <array>
#include <clocale>
#include <cstdlib>
#include <string>

namespace finbowl {
namespace {

struct Category {
  int id;
  const char* variable;
};

// Every category of the GNU C library but the character type.
constexpr std::array<Category, 11> kOtherCategories = {{
    {LC_NUMERIC, "LC_NUMERIC"},
    {LC_TIME, "LC_TIME"},
    {LC_COLLATE, "LC_COLLATE"},
    {LC_MONETARY, "LC_MONETARY"},
    {LC_MESSAGES, "LC_MESSAGES"},
    {LC_PAPER, "LC_PAPER"},
    {LC_NAME, "LC_NAME"},
    {LC_ADDRESS, "LC_ADDRESS"},
    {LC_TELEPHONE, "LC_TELEPHONE"},
    {LC_MEASUREMENT, "LC_MEASUREMENT"},
    {LC_IDENTIFICATION, "LC_IDENTIFICATION"},
}};

// The one UTF-8 locale every Debian system has.
constexpr const char* kUtf8CharacterType = "C.UTF-8";

bool CharacterTypeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return ::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "utf8") == 0;
}

}  // namespace

void ChooseUtf8CharacterType() {
  // What the environment asks for. A name that is not installed leaves the
  // whole locale at C, which is what it then means for the program.
  std::setlocale(LC_ALL, "");
  if (CharacterTypeIsUtf8()) {
    return;
  }
  // LC_ALL would override the character type too, so each other category
  // is named on its own with what it resolved to.
  for (const Category& category : kOtherCategories) {
    const std::string name = std::setlocale(category.id, nullptr);
    ::setenv(category.variable, name.c_str(), 1);
  }
  ::unsetenv("LC_ALL");
  ::setenv("LC_CTYPE", kUtf8CharacterType, 1);
  std::setlocale(LC_ALL, "");
}

}  // namespace finbowl
