// The folder icon through FsExtractCustomIcon: which paths get it, its two
// sizes, that the same two icons come back however often the host asks (and
// from several threads at once), that they are destroyed at unload, and the
// icon groups in the plugin's resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/harness/message_box_recorder.h"
#include "tests/harness/plugin_host.h"
#include "tests/harness/scripted_tag_server.h"
#include "tests/win/real_files.h"

namespace {

HICON const SENTINEL_ICON = reinterpret_cast<HICON>(static_cast<intptr_t>(0x5EED));

// Width and height of an icon; 0 when the handle is no icon (any more).
SIZE IconSize(HICON hIcon) {
  ICONINFO info{};
  if (!GetIconInfo(hIcon, &info)) return {0, 0};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  const LONG iHeight = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, iHeight};
}

class FolderIcon : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Loaded());
    ASSERT_EQ(host.Init(), 0);
    ASSERT_TRUE(WriteBytes(sDocument, "text"));
    server.SetAnswer(30, u"\\Tag", u"");
    server.SetAnswer(30, u"\\Tag\\report.txt", Text(sDocument));
  }
  int Extract(const char* pRemote, int iFlags, HICON& hIcon) {
    std::string sRemote = pRemote;
    hIcon = SENTINEL_ICON;
    const int iResult = host.fsExtractCustomIcon(sRemote.data(), iFlags, &hIcon);
    EXPECT_EQ(sRemote, pRemote) << "RemoteName changed";
    return iResult;
  }

  TTempFolder docs{L"folder_icon_docs"};
  const std::wstring sDocument = docs / L"report.txt";
  TScriptedTagServer server;
  TMessageBoxRecorder recorder;
  TPluginHost host;
};

TEST_F(FolderIcon, VirtualFolderGetsTheIconAtTheSizeTheFlagAsksFor) {
  const struct {
    int iFlags;
    LONG iSize;
  } cases[] = {{FS_ICONFLAG_SMALL, 16},
               {0, 32},
               {FS_ICONFLAG_SMALL | FS_ICONFLAG_BACKGROUND, 16},
               {FS_ICONFLAG_BACKGROUND, 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.iFlags);
    HICON hIcon;
    ASSERT_EQ(Extract("\\Tag", c.iFlags, hIcon), FS_ICON_EXTRACTED);
    const SIZE size = IconSize(hIcon);
    EXPECT_EQ(size.cx, c.iSize);
    EXPECT_EQ(size.cy, c.iSize);
  }
}

TEST_F(FolderIcon, DocumentsDotsAndUnresolvablePathsKeepTheDefault) {
  for (const char* pRemote : {"\\Tag\\report.txt", "\\Tag\\..", "\\Tag\\.", "\\Tag\\unknown"}) {
    for (int iFlags : {0, static_cast<int>(FS_ICONFLAG_SMALL)}) {
      SCOPED_TRACE(pRemote);
      HICON hIcon;
      EXPECT_EQ(Extract(pRemote, iFlags, hIcon), FS_ICON_USEDEFAULT);
      EXPECT_EQ(hIcon, SENTINEL_ICON);
    }
  }
  server.SetFault(TServerFault::NO_ANSWER);
  HICON hIcon;
  EXPECT_EQ(Extract("\\Other", FS_ICONFLAG_SMALL, hIcon), FS_ICON_USEDEFAULT);
  EXPECT_EQ(hIcon, SENTINEL_ICON);
  // The only box is the failed request's own.
  ASSERT_TRUE(recorder.WaitForBoxes(1));
  EXPECT_EQ(recorder.Boxes().size(), 1u);
}

TEST_F(FolderIcon, SameTwoIconsComeBackEveryTimeAndGoAtUnload) {
  const DWORD dwGdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD dwUserBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  HICON hSmall = nullptr, hLarge = nullptr;
  ASSERT_EQ(Extract("\\Tag", FS_ICONFLAG_SMALL, hSmall), FS_ICON_EXTRACTED);
  ASSERT_EQ(Extract("\\Tag", 0, hLarge), FS_ICON_EXTRACTED);
  EXPECT_NE(hSmall, hLarge);
  for (int i = 0; i < 1000; ++i) {
    HICON hIcon;
    ASSERT_EQ(Extract("\\Tag", i % 2 ? FS_ICONFLAG_SMALL : 0, hIcon), FS_ICON_EXTRACTED);
    ASSERT_EQ(hIcon, i % 2 ? hSmall : hLarge) << i;
  }
  // Where the system counts them (Wine reports 0), the counts do not grow
  // by more than the two icons.
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), dwGdiBefore + 4);
  EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), dwUserBefore + 2);

  ASSERT_EQ(IconSize(hSmall).cx, 16);
  ASSERT_EQ(IconSize(hLarge).cx, 32);
  host.Unload();
  EXPECT_EQ(IconSize(hSmall).cx, 0) << "small icon still exists after unload";
  EXPECT_EQ(IconSize(hLarge).cx, 0) << "large icon still exists after unload";
}

TEST_F(FolderIcon, ConcurrentFirstCallsShareOneIcon) {
  // Listing the root first lets every call resolve from the snapshot, so the
  // threads meet at the icon rather than at the request channel.
  server.SetAnswer(10, u"\\", u"Tag\x1F");
  WIN32_FIND_DATAA data{};
  char szRoot[] = "\\";
  const HANDLE hFind = host.fsFindFirst(szRoot, &data);
  ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
  host.fsFindClose(hFind);
  server.ClearRecords();

  constexpr int THREADS = 8;
  std::vector<HICON> vIcons(THREADS);
  std::atomic<int> iReady{0};
  std::vector<std::thread> vThreads;
  for (int t = 0; t < THREADS; ++t) {
    vThreads.emplace_back([&, t] {
      ++iReady;
      while (iReady.load() < THREADS) {
      }
      char szName[] = "\\Tag";
      HICON hIcon = nullptr;
      if (host.fsExtractCustomIcon(szName, FS_ICONFLAG_SMALL, &hIcon) == FS_ICON_EXTRACTED) vIcons[t] = hIcon;
    });
  }
  for (auto& thread : vThreads) thread.join();
  for (int t = 0; t < THREADS; ++t) {
    EXPECT_NE(vIcons[t], nullptr) << t;
    EXPECT_EQ(vIcons[t], vIcons[0]) << t;
  }
  EXPECT_EQ(server.RequestCount(30), 0u);
  EXPECT_EQ(IconSize(vIcons[0]).cx, 16);
}

#pragma pack(push, 2)
struct TGroupIconEntry {
  BYTE bWidth, bHeight, bColorCount, bReserved;
  WORD wPlanes, wBitCount;
  DWORD dwBytesInRes;
  WORD nId;
};
#pragma pack(pop)

struct TGroupImage {
  int iSize;
  int iBits;
};

std::vector<TGroupImage> GroupImages(HMODULE hModule, int iGroup) {
  std::vector<TGroupImage> vImages;
  const HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(iGroup), RT_GROUP_ICON);
  if (!hResource) return vImages;
  const BYTE* pData = static_cast<const BYTE*>(LockResource(LoadResource(hModule, hResource)));
  const WORD wCount = *reinterpret_cast<const WORD*>(pData + 4);
  const auto* pEntries = reinterpret_cast<const TGroupIconEntry*>(pData + 6);
  for (WORD i = 0; i < wCount; ++i)
    vImages.push_back({pEntries[i].bWidth == 0 ? 256 : pEntries[i].bWidth, pEntries[i].wBitCount});
  return vImages;
}

TEST_F(FolderIcon, ResourcesHoldTheTwoIconGroups) {
  const auto vClassic = GroupImages(host.Module(), 1000);
  ASSERT_EQ(vClassic.size(), 2u);
  EXPECT_EQ(vClassic[0].iSize, 16);
  EXPECT_EQ(vClassic[1].iSize, 32);
  for (const auto& image : vClassic) EXPECT_EQ(image.iBits, 4);
  const auto vFolder = GroupImages(host.Module(), 1001);
  ASSERT_EQ(vFolder.size(), 1u);
  EXPECT_EQ(vFolder[0].iSize, 128);
  EXPECT_EQ(vFolder[0].iBits, 32);

  // The 128-pixel picture really carries alpha: transparent corners, an
  // opaque middle.
  const HICON hBig = static_cast<HICON>(LoadImageW(host.Module(), MAKEINTRESOURCEW(1001), IMAGE_ICON, 128, 128, 0));
  ASSERT_NE(hBig, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hBig, &info));
  BITMAPINFO bmi{};
  bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), 128, -128, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> vPixels(128 * 128);
  const HDC hDc = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(hDc, info.hbmColor, 0, 128, vPixels.data(), &bmi, DIB_RGB_COLORS), 128);
  ReleaseDC(nullptr, hDc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(hBig);
  EXPECT_EQ(vPixels[0] >> 24, 0u);
  EXPECT_EQ(vPixels[64 * 128 + 64] >> 24, 255u);
}

}  // namespace
