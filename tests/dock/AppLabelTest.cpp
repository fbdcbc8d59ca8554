#include <gtest/gtest.h>

#include "dock/AppLabel.h"

TEST(AppLabelFromPath, FileStemOfThePath) {
  const struct {
    const wchar_t* path;
    const wchar_t* label;
  } cases[] = {
      {L"C:\\Program Files\\Editor\\Editor.exe", L"Editor"},
      {L"C:/tools/run.cmd", L"run"},
      {L"archive.tar.gz", L"archive.tar"},
      {L"noext", L"noext"},
      {L"", L"App"},
      {L".bashrc", L".bashrc"},
      {L"C:\\Users\\me\\.bashrc", L".bashrc"},
      {L"C:\\dir\\notes.txt:Zone.Identifier", L"notes"},
      {L"report:summary", L"report"},
      {L"C:\\dir\\:stream", L"App"},
      {L".", L"."},
      {L"C:\\dir\\..", L".."},
      {L"C:\\dir\\", L"App"},
      {L"C:", L"App"},
      {L"C:notepad.exe", L"notepad"},
      {L"\\\\server", L"App"},
      {L"\\\\server\\share\\tool.exe", L"tool"},
      {L"name.", L"name"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AppLabelFromPath(c.path), c.label) << "path: " << testing::PrintToString(std::wstring(c.path));
  }
}
