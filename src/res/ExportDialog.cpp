// Dialog 102, the main window: its control table in template order (also the tab
// order), positions in dialog units, and the initialisation data of IDC_CB_SEP.
#include <iterator>

#include "res/Resource.h"
#include "res/Resources.h"
#include "platform/com/Translate.h"

namespace {
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheck = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kGroupBox = kChild | BS_GROUPBOX;
constexpr DWORD kEdit = kChild | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kDropList = kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;

const DlgItemTemplate kItems[] = {
    {IDC_BTN_IMPORT, DlgClass::Button, N_("导入 =>"), 18, 31, 43, 14, kPush, 0},
    {IDC_EDIT_MDBFILE, DlgClass::Edit, "", 63, 31, 197, 14, kEdit | ES_READONLY, 0},
    {IDC_CHK_USESQL, DlgClass::Button, N_("采用SQL语句（高级用户使用）"), 18, 52, 124, 10, kCheck, 0},
    {IDC_BTN_TABLES, DlgClass::Button, N_("数据表 =>"), 18, 64, 43, 14, kPush | WS_DISABLED, 0},
    {IDC_CB_TABLE, DlgClass::ComboBox, "", 63, 65, 112, 78, kDropList, 0},
    {IDC_EDIT_SQL, DlgClass::Edit, "", 18, 65, 243, 37,
     kChild | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
     WS_EX_STATICEDGE},
    {IDC_BTN_PREVIEW, DlgClass::Button, N_("预览 =>"), 18, 108, 43, 14, kPush, 0},
    {IDC_LIST_PREVIEW, DlgClass::ListView, "", 18, 123, 243, 71, kChild | LVS_REPORT | WS_TABSTOP,
     WS_EX_STATICEDGE},
    {IDC_BTN_EXPORT, DlgClass::Button, N_("导出 =>"), 306, 29, 43, 14, kPush, 0},
    {IDC_EDIT_TXTFILE, DlgClass::Edit, "", 351, 29, 176, 14, kEdit | ES_READONLY, 0},
    {IDC_EDIT_FIELDS, DlgClass::Edit, "", 351, 51, 176, 14, kEdit, 0},
    {IDC_CB_SEP, DlgClass::ComboBox, "", 351, 144, 66, 78, kDropList, 0},
    {IDC_EDIT_USERSEP, DlgClass::Edit, "", 419, 144, 34, 14, kEdit | WS_DISABLED, 0},
    {IDC_CHK_QUOTE, DlgClass::Button, N_("包含双引号"), 351, 161, 56, 10, kCheck, 0},
    {IDC_CHK_HEADER, DlgClass::Button, N_("包含列标题行"), 351, 176, 64, 10, kCheck, 0},
    {IDC_BTN_START, DlgClass::Button, N_("开始导出"), 437, 283, 50, 14, kPush, 0},
    {IDC_BTN_ABOUT, DlgClass::Button, N_("关于..."), 492, 283, 50, 14, kPush, 0},
    {IDC_STATIC, DlgClass::Button, N_("3、选项"), 290, 120, 252, 86, kGroupBox, 0},
    {IDC_STATIC, DlgClass::Static, N_("分隔符："), 314, 144, 33, 8, kLabel, 0},
    {IDC_STATIC, DlgClass::Button, N_("1、MDB 数据源"), 7, 7, 267, 199, kGroupBox, 0},
    {IDC_STATIC, DlgClass::Button, N_("2、目标文本"), 290, 7, 252, 106, kGroupBox, 0},
    {IDC_STATIC, DlgClass::Static, N_("导出字段："), 306, 53, 41, 8, kChild | SS_RIGHT | WS_GROUP, 0},
    {IDC_STATIC, DlgClass::Static,
     N_("用途，\n\n* 把mdb（MS Access数据库）中的表的记录导出为文本文件\n"
     "* 支持自定义分隔符，比如逗号、制表键、其他\n* 可选择是否包含双引号\n"
     "* 可选择是否包含列标题行\n* 高级用户可采用SQL，实现灵活的自定义导出"),
     15, 220, 233, 64, kLabel, 0},
    {IDC_STATIC, DlgClass::Static, N_("使用说明，\n\n1、 按照1、2、3 提示进行设定\n2、 单击“开始导出”按钮"),
     295, 220, 178, 50, kLabel, 0},
    {IDC_STATIC, DlgClass::Static,
     N_("帮助，\n\n* 请按照导出顺序依次写入，用半角逗号分隔\n* 除写入的字段外，其他字段不会导出！"),
     351, 71, 185, 37, kLabel, 0},
    {IDC_STATIC_STATUS, DlgClass::Static, N_("等待"), 7, 285, 380, 12, kLabel, WS_EX_STATICEDGE},
    {IDC_STATIC, DlgClass::Static, N_("预览前面的4条记录，"), 67, 111, 110, 8, kLabel, 0},
};

const DlgInitEntry kInit[] = {
    {IDC_CB_SEP, N_("逗号")},
    {IDC_CB_SEP, N_("制表键")},
    {IDC_CB_SEP, N_("其他")},
};

// The dialog font: a 9-point CJK face that fontconfig finds (fonts-wqy-zenhei), in
// the place of the Windows template's 宋体.
const DialogTemplate kTemplate = {
    IDD_EXPORT_DIALOG,
    "Kelvane",
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT,
    WS_EX_APPWINDOW,
    "WenQuanYi Zen Hei",
    9,
    549,
    304,
    kItems,
    std::size(kItems),
    kInit,
    std::size(kInit),
};
}  // namespace

const DialogTemplate& ExportDialogTemplate() { return kTemplate; }

void RegisterResources() {
  AfxRegisterDialogTemplate(&kTemplate);
  AfxRegisterIcon(&MainFrameIcon());
}
