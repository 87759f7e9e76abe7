// The natural layout of the interface (Linux and 64-bit Windows): FAR's member order,
// pointer-wide where a pointer travels, and path buffers wide enough for any Linux path.
#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>

#include "far/far.h"

namespace {

// True when the offsets, given in FAR's member order, strictly increase: a member moved out of
// place (or a union member lost) breaks it.
bool inOrder(std::initializer_list<std::size_t> offsets) {
    std::size_t previous = 0;
    bool first = true;
    for (std::size_t offset : offsets) {
        if (!first && offset <= previous) return false;
        previous = offset;
        first = false;
    }
    return true;
}

#define OFF(type, member) offsetof(type, member)

TEST(FarLayout, PathBuffersHoldAnyLinuxPath) {
    EXPECT_EQ(FAR_MAX_PATH, 4096);
    EXPECT_EQ(NM, FAR_MAX_PATH);
    EXPECT_EQ(sizeof(FAR_FIND_DATA::cFileName), 4096u);
    EXPECT_EQ(sizeof(FAR_FIND_DATA::cAlternateFileName), 14u);
    EXPECT_EQ(sizeof(PluginStartupInfo::ModuleName), 4096u);
    EXPECT_EQ(sizeof(PanelInfo::CurDir), 4096u);
    EXPECT_EQ(sizeof(WindowInfo::Name), 4096u);
    // Buffers that are not paths keep FAR's sizes.
    EXPECT_EQ(sizeof(FarDialogItem::Data), 512u);
    EXPECT_EQ(sizeof(FarListItem::Text), 128u);
    EXPECT_EQ(sizeof(FarMenuItem::Text), 128u);
    EXPECT_EQ(sizeof(InfoPanelLine::Text), 80u);
}

TEST(FarLayout, ValuesThatCarryPointersArePointerWide) {
    EXPECT_EQ(sizeof(HANDLE), sizeof(void*));
    EXPECT_EQ(sizeof(LONG_PTR), sizeof(void*));
    EXPECT_EQ(sizeof(INT_PTR), sizeof(void*));
    EXPECT_EQ(sizeof(DWORD_PTR), sizeof(void*));
    EXPECT_EQ(sizeof(PluginPanelItem::UserData), sizeof(void*));
    EXPECT_EQ(sizeof(FarMenuItemEx::UserData), sizeof(void*));
    EXPECT_EQ(sizeof(FarDialogItem::Reserved), sizeof(void*));
    EXPECT_EQ(INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)));
}

TEST(FarLayout, FixedWidthTypesKeepWindowsWidths) {
    EXPECT_EQ(sizeof(DWORD), 4u);
    EXPECT_EQ(sizeof(LONG), 4u);
    EXPECT_EQ(sizeof(WORD), 2u);
    EXPECT_EQ(sizeof(SHORT), 2u);
    EXPECT_EQ(sizeof(FILETIME), 8u);
    EXPECT_EQ(sizeof(COORD), 4u);
    EXPECT_EQ(sizeof(SMALL_RECT), 8u);
}

TEST(FarLayout, FindDataAndPanelItemKeepFarOrder) {
    EXPECT_TRUE(inOrder({OFF(FAR_FIND_DATA, dwFileAttributes), OFF(FAR_FIND_DATA, ftCreationTime),
                         OFF(FAR_FIND_DATA, ftLastAccessTime), OFF(FAR_FIND_DATA, ftLastWriteTime),
                         OFF(FAR_FIND_DATA, nFileSizeHigh), OFF(FAR_FIND_DATA, nFileSizeLow),
                         OFF(FAR_FIND_DATA, dwReserved0), OFF(FAR_FIND_DATA, dwReserved1),
                         OFF(FAR_FIND_DATA, cFileName), OFF(FAR_FIND_DATA, cAlternateFileName)}));
    EXPECT_TRUE(inOrder({OFF(PluginPanelItem, FindData), OFF(PluginPanelItem, PackSizeHigh),
                         OFF(PluginPanelItem, PackSize), OFF(PluginPanelItem, Flags),
                         OFF(PluginPanelItem, NumberOfLinks), OFF(PluginPanelItem, Description),
                         OFF(PluginPanelItem, Owner), OFF(PluginPanelItem, CustomColumnData),
                         OFF(PluginPanelItem, CustomColumnNumber), OFF(PluginPanelItem, UserData),
                         OFF(PluginPanelItem, CRC32), OFF(PluginPanelItem, Reserved)}));
}

TEST(FarLayout, StartupInfoKeepsFarSlotOrder) {
    using P = PluginStartupInfo;
    EXPECT_TRUE(inOrder({OFF(P, StructSize), OFF(P, ModuleName), OFF(P, ModuleNumber), OFF(P, RootKey),
                         OFF(P, Menu), OFF(P, Dialog), OFF(P, Message), OFF(P, GetMsg), OFF(P, Control),
                         OFF(P, SaveScreen), OFF(P, RestoreScreen), OFF(P, GetDirList),
                         OFF(P, GetPluginDirList), OFF(P, FreeDirList), OFF(P, Viewer), OFF(P, Editor),
                         OFF(P, CmpName), OFF(P, CharTable), OFF(P, Text), OFF(P, EditorControl),
                         OFF(P, FSF), OFF(P, ShowHelp), OFF(P, AdvControl), OFF(P, InputBox),
                         OFF(P, DialogEx), OFF(P, SendDlgMessage), OFF(P, DefDlgProc), OFF(P, Reserved),
                         OFF(P, ViewerControl)}));
    // 25 pointer slots follow RootKey back to back, as in FAR.
    EXPECT_EQ(OFF(P, ViewerControl) - OFF(P, Menu), 24 * sizeof(void*));
    EXPECT_EQ(sizeof(P), OFF(P, ViewerControl) + sizeof(void*));
}

TEST(FarLayout, StandardFunctionsKeepFarSlotOrder) {
    using F = FarStandardFunctions;
    EXPECT_TRUE(inOrder({OFF(F, StructSize), OFF(F, atoi), OFF(F, atoi64), OFF(F, itoa), OFF(F, itoa64),
                         OFF(F, sprintf), OFF(F, sscanf), OFF(F, qsort), OFF(F, bsearch), OFF(F, qsortex),
                         OFF(F, Reserved), OFF(F, LIsLower), OFF(F, LIsUpper), OFF(F, LIsAlpha),
                         OFF(F, LIsAlphanum), OFF(F, LUpper), OFF(F, LLower), OFF(F, LUpperBuf),
                         OFF(F, LLowerBuf), OFF(F, LStrupr), OFF(F, LStrlwr), OFF(F, LStricmp),
                         OFF(F, LStrnicmp), OFF(F, Unquote), OFF(F, ExpandEnvironmentStr), OFF(F, LTrim),
                         OFF(F, RTrim), OFF(F, Trim), OFF(F, TruncStr), OFF(F, TruncPathStr),
                         OFF(F, QuoteSpaceOnly), OFF(F, PointToName), OFF(F, GetPathRoot),
                         OFF(F, AddEndSlash), OFF(F, CopyToClipboard), OFF(F, PasteFromClipboard),
                         OFF(F, FarKeyToName), OFF(F, FarNameToKey), OFF(F, FarInputRecordToKey),
                         OFF(F, XLat), OFF(F, GetFileOwner), OFF(F, GetNumberOfLinks),
                         OFF(F, FarRecursiveSearch), OFF(F, MkTemp), OFF(F, DeleteBuffer),
                         OFF(F, ProcessName), OFF(F, MkLink), OFF(F, ConvertNameToReal),
                         OFF(F, GetReparsePointInfo)}));
    // Nine reserved slots between qsortex and LIsLower, as in FAR 1.70.
    EXPECT_EQ(OFF(F, LIsLower) - OFF(F, Reserved), 9 * sizeof(void*));
    // Every slot after StructSize is one pointer wide, so the table is 1 + 56 slots.
    EXPECT_EQ(sizeof(F), OFF(F, atoi) + 56 * sizeof(void*));
}

TEST(FarLayout, DialogItemKeepsFarOrderAndVarEditView) {
    using D = FarDialogItem;
    EXPECT_TRUE(inOrder({OFF(D, Type), OFF(D, X1), OFF(D, Y1), OFF(D, X2), OFF(D, Y2), OFF(D, Focus),
                         OFF(D, Selected), OFF(D, Flags), OFF(D, DefaultButton), OFF(D, Data)}));
    // Both anonymous unions overlay their members.
    EXPECT_EQ(OFF(D, Selected), OFF(D, History));
    EXPECT_EQ(OFF(D, Selected), OFF(D, VBuf));
    EXPECT_EQ(OFF(D, Selected), OFF(D, ListItems));
    EXPECT_EQ(OFF(D, Data), OFF(D, Ptr.PtrFlags));
    EXPECT_TRUE(inOrder({OFF(D, Ptr.PtrFlags), OFF(D, Ptr.PtrLength), OFF(D, Ptr.PtrData),
                         OFF(D, Ptr.PtrTail)}));
}

TEST(FarLayout, PanelDescriptionsKeepFarOrder) {
    using O = OpenPluginInfo;
    EXPECT_TRUE(inOrder({OFF(O, StructSize), OFF(O, Flags), OFF(O, HostFile), OFF(O, CurDir), OFF(O, Format),
                         OFF(O, PanelTitle), OFF(O, InfoLines), OFF(O, InfoLinesNumber), OFF(O, DescrFiles),
                         OFF(O, DescrFilesNumber), OFF(O, PanelModesArray), OFF(O, PanelModesNumber),
                         OFF(O, StartPanelMode), OFF(O, StartSortMode), OFF(O, StartSortOrder),
                         OFF(O, KeyBar), OFF(O, ShortcutData), OFF(O, Reserverd)}));
    using I = PluginInfo;
    EXPECT_TRUE(inOrder({OFF(I, StructSize), OFF(I, Flags), OFF(I, DiskMenuStrings), OFF(I, DiskMenuNumbers),
                         OFF(I, DiskMenuStringsNumber), OFF(I, PluginMenuStrings),
                         OFF(I, PluginMenuStringsNumber), OFF(I, PluginConfigStrings),
                         OFF(I, PluginConfigStringsNumber), OFF(I, CommandPrefix), OFF(I, Reserved)}));
    using N = PanelInfo;
    EXPECT_TRUE(inOrder({OFF(N, PanelType), OFF(N, Plugin), OFF(N, PanelRect), OFF(N, PanelItems),
                         OFF(N, ItemsNumber), OFF(N, SelectedItems), OFF(N, SelectedItemsNumber),
                         OFF(N, CurrentItem), OFF(N, TopPanelItem), OFF(N, Visible), OFF(N, Focus),
                         OFF(N, ViewMode), OFF(N, ColumnTypes), OFF(N, ColumnWidths), OFF(N, CurDir),
                         OFF(N, ShortNames), OFF(N, SortMode), OFF(N, Flags), OFF(N, Reserved)}));
}

TEST(FarLayout, MenuItemExAndKeyMacroKeepFarOrder) {
    EXPECT_TRUE(inOrder({OFF(FarMenuItemEx, Flags), OFF(FarMenuItemEx, Text), OFF(FarMenuItemEx, AccelKey),
                         OFF(FarMenuItemEx, Reserved), OFF(FarMenuItemEx, UserData)}));
    EXPECT_TRUE(inOrder({OFF(ActlKeyMacro, Command), OFF(ActlKeyMacro, Param.PlainText.SequenceText),
                         OFF(ActlKeyMacro, Param.PlainText.Flags)}));
    EXPECT_EQ(OFF(ActlKeyMacro, Param.PlainText.SequenceText), OFF(ActlKeyMacro, Param.Reserved));
    EXPECT_TRUE(inOrder({OFF(KeySequence, Flags), OFF(KeySequence, Count), OFF(KeySequence, Sequence)}));
}

TEST(FarLayout, VersionWordIsBuildMajorMinor) {
    EXPECT_EQ(MAKEFARVERSION(1, 70, 2087), 0x08270146u);
    EXPECT_EQ(FARMANAGERVERSION, MAKEFARVERSION(1, 70, 2087));
}

}  // namespace
