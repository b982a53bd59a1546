#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>

#include "Qo.h"
#include "api/export_support.h"
#include "frame/message_tables.h"
#include "frame/module_paths.h"
#include "text/cp1250.h"

namespace qo {
namespace {

TEST(KernelError, ErrorClearsPeekKeeps) {
  QoError();
  EXPECT_EQ(api::CheckTimetable(QoQoCount()), nullptr);  // index == count is invalid
  EXPECT_EQ(QoPeekError(), ErrTimetableIndex);
  EXPECT_EQ(QoPeekError(), ErrTimetableIndex);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(api::CheckTimetable(-1), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST(KernelError, TextsByCodeAndLanguage) {
  struct Case {
    int code;
    char language;
    const char* utf8;
  } cases[] = {
      {31, 'X', "Interní chyba (access violation)."},
      {31, 'E', "Internal error (access violation)."},
      {31, 'C', "Interní chyba (access violation)."},
      {0, 'E', "No error."},
      {2, 'C', "Chybná hlavička datového souboru."},
      {25, 'E', "Incorrect extension file header."},
      {33, 'E', "Wrong connection ID. The connection may have been deleted from the list."},
      {12, 'G', "Verbindung nicht gefunden."},
      {12, 'S', "Spojenie nebolo nájdené."},
      {12, 'P', "Nie znaleziono połączenia."},
      {-1, 'E', ""},
      {53, 'E', ""},
      {27, 'E', ""},  // a code without a text
      {52, 'C', ""},
  };
  for (const Case& c : cases) {
    std::string text = QoErrorText(c.code, c.language);
    EXPECT_EQ(Cp1250ToUtf8(text), c.utf8) << c.code << " " << c.language;
  }
  EXPECT_EQ(QoPeekError(), 0);  // never fails
}

TEST(KernelError, EveryCodeHasATextInEveryLanguage) {
  const int codes[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                       15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 30, 31, 32, 33};
  for (char letter : {'C', 'E', 'G', 'S', 'P'})
    for (int code : codes) EXPECT_STRNE(QoErrorText(code, letter), "") << letter << code;
}

TEST(MessageTables, TheLastLetterUsedSelectsTheTable) {
  SelectLanguage('G');
  EXPECT_EQ(CurrentLanguageLetter(), 'G');
  EXPECT_EQ(CurrentLanguage(), KernelLangGerman);
  SelectLanguage('Q');
  EXPECT_EQ(CurrentLanguage(), KernelLangCzech);
  QoErrorText(1, 'E');
  EXPECT_EQ(CurrentLanguageLetter(), 'E');
  EXPECT_STREQ(KernelText(kErrorTextBase + 1), "Cannot open data file.");
  EXPECT_STREQ(KernelText(KernelLangEnglish, 100), "");
}

TEST(Frame, VersionAndTextMode) {
  EXPECT_STREQ(QoVer(), "1.85.01");
  EXPECT_EQ(QoQoCount(), 0);
  EXPECT_EQ(QoSetDia(6), 6);
  EXPECT_EQ(QoSetDia(7), 7);
  EXPECT_EQ(QoSetDia(3), 3);
}

TEST(ModulePaths, DirectoryKeepsItsSeparator) {
  struct Case {
    const char* path;
    const char* directory;
  } cases[] = {
      {"C:\\App\\Qo.dll", "C:\\App\\"},
      {"/opt/qo/libQo.so", "/opt/qo/"},
      {"/libQo.so", "/"},
      {"mixed/dir\\file", "mixed/dir\\"},
      {"libQo.so", "./"},
      {"", "./"},
  };
  for (const Case& c : cases) EXPECT_EQ(DirectoryOfPath(c.path), c.directory) << c.path;

  // Linked into this test program, the kernel was attached from its file.
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = '\0';
  EXPECT_EQ(DefaultDataDirectory(), DirectoryOfPath(self));
}

// The shared library as a client sees it: loaded by name, exports bound by
// name. The export list itself is checked against the library's symbol table
// by the library_exports test.
TEST(SharedLibrary, ExportsAreFoundByName) {
  void* library = dlopen(QO_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  std::ifstream list(std::string(QO_SOURCE_DIR) + "/kernel/exports.txt");
  std::string name;
  int found = 0;
  while (std::getline(list, name)) {
    if (name.empty() || name[0] == '#') continue;
    EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
    ++found;
  }
  EXPECT_GT(found, 0);
  auto ver = reinterpret_cast<const char* (*)()>(dlsym(library, "QoVer"));
  ASSERT_NE(ver, nullptr);
  EXPECT_STREQ(ver(), "1.85.01");
  EXPECT_EQ(dlsym(library, "_ZN2qo14SetKernelErrorEi"), nullptr);  // internals stay hidden
  dlclose(library);
}

}  // namespace
}  // namespace qo
