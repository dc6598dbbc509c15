#pragma once

// The labels of the pages' steps: what an error report shows after "at
// line". Each handler runs its steps under these labels in this order; a
// label names the step, so a test reads kCreateFileStep rather than 180.
// The labels are fixed: users quote them when they report a failure.
namespace pages {

// Form_Load of the table, field and output pages: dressing the page.
namespace dress_steps {
inline constexpr int kFaceColour = 100;
inline constexpr int kIcon = 102;
inline constexpr int kTestHandCursor = 106;
inline constexpr int kLoadHandCursor = 108;
inline constexpr int kCaption = 110;
}  // namespace dress_steps

// The login page.
namespace login_steps {
// Form_Load: the program's start-up.
inline constexpr int kLoadSkin = 100;
inline constexpr int kLoadCaption = 104;
inline constexpr int kLoadTestHandCursor = 124;
inline constexpr int kLoadHandCursor = 126;
inline constexpr int kLoadServer = 128;
inline constexpr int kLoadUser = 130;
inline constexpr int kLoadPassword = 132;
inline constexpr int kLoadDatabase = 134;
inline constexpr int kLoadPort = 136;
inline constexpr int kLoadCheckFilled = 138;
inline constexpr int kLoadTryConnection = 140;
inline constexpr int kLoadSignIn = 142;
// PushButton2_Click, "Help".
inline constexpr int kHelpText = 104;
inline constexpr int kHelpShow = 112;
// PushButton5_Click, "Test Connection".
inline constexpr int kTestSucceeded = 108;
inline constexpr int kTestFailed = 114;
// PushButton3_Click, "Next >".
inline constexpr int kNextTryConnection = 104;
inline constexpr int kNextConnect = 108;
inline constexpr int kNextListTables = 110;
inline constexpr int kNextClearList = 112;
inline constexpr int kNextAddTable = 116;
inline constexpr int kNextFreeList = 122;
inline constexpr int kNextDisconnect = 124;
inline constexpr int kNextSelectFirst = 126;
inline constexpr int kNextShowTablePage = 128;
inline constexpr int kNextHide = 130;
}  // namespace login_steps

// The table page.
namespace table_steps {
// PushButton2_Click, "< Back".
inline constexpr int kBackShowLoginPage = 100;
inline constexpr int kBackHide = 102;
// PushButton3_Click, "Next >".
inline constexpr int kNextConnect = 112;
inline constexpr int kNextRememberTable = 114;
inline constexpr int kNextShowFieldPage = 116;
inline constexpr int kNextClearFields = 118;
inline constexpr int kNextClearPreview = 120;
inline constexpr int kNextReadPreview = 124;
inline constexpr int kNextShowPreview = 126;
inline constexpr int kNextAddField = 132;
inline constexpr int kNextButtonStates = 142;
inline constexpr int kNextSelectFirst = 166;
inline constexpr int kNextFocusGrid = 168;
inline constexpr int kNextDropChosenFields = 170;
// Runs right after kNextShowFieldPage, so that one page is on screen while
// the field page fills; it keeps its label.
inline constexpr int kNextHide = 172;
inline constexpr int kNextNoTableSelected = 176;
}  // namespace table_steps

// The field page.
namespace field_steps {
// PushButton2_Click, "< Back".
inline constexpr int kBackShowTablePage = 100;
inline constexpr int kBackHide = 102;
// PushButton5_Click ">" and PushButton7_Click "<": one field across.
inline constexpr int kMoveFindSelected = 100;
inline constexpr int kMoveAdd = 102;
inline constexpr int kMoveRemove = 104;
inline constexpr int kMoveButtonStates = 106;
inline constexpr int kMoveNothingSelected = 130;
// PushButton6_Click ">>" and PushButton8_Click "<<": every field across.
inline constexpr int kMoveAll = 100;
inline constexpr int kMoveAllButtonStates = 112;
// PushButton3_Click, "Next >".
inline constexpr int kNextBuildFieldList = 106;
inline constexpr int kNextShowOutputPage = 116;
inline constexpr int kNextHide = 118;
}  // namespace field_steps

// The output page.
namespace output_steps {
// Form_Load, after dressing the page.
inline constexpr int kLoadDesktopFolder = 110;
inline constexpr int kLoadDefaultPath = 114;
inline constexpr int kLoadDefaultSeparator = 116;
// PushButton3_Click, the "..." file dialog.
inline constexpr int kBrowseAsk = 106;
inline constexpr int kBrowseShowPath = 112;
// PushButton2_Click, "< Back".
inline constexpr int kBackShowFieldPage = 108;
inline constexpr int kBackButtonStates = 110;
inline constexpr int kBackSelectFirst = 134;
inline constexpr int kBackFocusGrid = 136;
inline constexpr int kBackHide = 138;
inline constexpr int kBackDropChosenFields = 140;
// PushButton4_Click, "Finish": the export's steps are exporter::ExportStep
// (kConnectStep 118 to kFinishFileStep 186).
}  // namespace output_steps

}  // namespace pages
