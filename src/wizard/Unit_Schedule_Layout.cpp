// The wizard window's components, their places, fonts and design texts.
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/DdeClientConv.h"
#include "platform/gui/Edit.h"
#include "platform/gui/HeaderCell.h"
#include "platform/gui/Image.h"
#include "platform/gui/Memo.h"
#include "platform/gui/PageBook.h"
#include "platform/gui/RadioButton.h"
#include "platform/gui/Separator.h"
#include "platform/gui/Shape.h"
#include "platform/gui/StringGrid.h"
#include "wizard/Unit_Schedule.h"

namespace {

constexpr int kClientWidth = 547;
constexpr int kClientHeight = 397;

gui::Font Tahoma(int height, bool bold = false) {
  gui::Font font;
  font.name = "Tahoma";
  font.height = height;
  font.bold = bold;
  return font;
}

struct HeaderSpec {
  const char* name;
  int left;
  int width;
  const char* caption;
};

// Left to right; the fourth and fifth cells carry each other's numbers.
constexpr HeaderSpec kHeaders[] = {
    {"FieldHeader1", 26, 51, "卷标"},        {"FieldHeader2", 76, 81, "磁盘大小"},
    {"FieldHeader3", 156, 81, "可用空间"},   {"FieldHeader5", 236, 68, "使用"},
    {"FieldHeader4", 303, 111, " 剩余空间"},
};

}  // namespace

namespace {

gui::Label& PutLabel(gui::Form& form, gui::Control& parent, const AnsiString& name, int left,
                     int top, const AnsiString& caption) {
  auto& label = form.Put<gui::Label>(parent, name, left, top, 0, 0);
  label.SetCaption(caption);
  return label;
}

}  // namespace

void TFormSchedule::BuildLayout() {
  SetBorderStyle(gui::BorderStyle::Dialog);
  SetPosition(gui::Position::ScreenCenter);
  SetClientSize(kClientWidth, kClientHeight);
  SetColor(gui::clWhite);
  SetFont(Tahoma(12));
  SetCaption("Korvello");

  // Regions, top to bottom; the bottom ones in the order they stack up from the bottom edge.
  Panel_Top = &Put<gui::Panel>(*this, "Panel_Top", 0, 0, kClientWidth, 57);
  Panel_Top->SetAlign(gui::Align::Top);
  Panel_Top->SetBevel(false);
  Panel_Top->SetColor(gui::clWhite);
  Imagtop = &Put<gui::Image>(*Panel_Top, "Imagtop", -9, 3, 540, 54);
  Imagtop->SetStretch(true);
  Imagtop->SetBitmapResource("IMAGTOP");
  Label4 = &PutLabel(*this, *Panel_Top, "Label4", 16, 12, "许可协议");
  Label4->SetFont(gui::SimSunFont(14, true));
  Label4->SetColor(gui::clWhite);
  Label5 = &PutLabel(*this, *Panel_Top, "Label5", 16, 32, "请仔细阅读下面的协议条款");
  Label5->SetColor(gui::clWhite);

  ButtonBar1 = &Put<gui::Panel>(*this, "ButtonBar1", 0, kClientHeight - 54, kClientWidth, 54);
  ButtonBar1->SetAlign(gui::Align::Bottom);
  ButtonBar1->SetBevel(false);
  btnpri = &Put<gui::Button>(*ButtonBar1, "btnpri", 252, 13, 77, 23);
  btnpri->SetCaption("< 返回");
  btnpri->SetEnabled(false);
  BtnNext = &Put<gui::Button>(*ButtonBar1, "BtnNext", 340, 13, 77, 23);
  BtnNext->SetCaption("下一步 >");
  btnexit = &Put<gui::Button>(*ButtonBar1, "btnexit", 428, 13, 77, 23);
  btnexit->SetCaption("退出");
  for (gui::Button* button : {btnpri, BtnNext, btnexit}) button->SetCursor(gui::Cursor::HandPoint);

  Panel3 = &Put<gui::Panel>(*this, "Panel3", 0, kClientHeight - 56, kClientWidth, 2);
  Panel3->SetAlign(gui::Align::Bottom);
  Panel3->SetBevelOuter(gui::PanelBevel::Lowered);

  ImagLeft = &Put<gui::Image>(*this, "ImagLeft", 0, 0, 165, 300);
  ImagLeft->SetAlign(gui::Align::Left);
  ImagLeft->SetBitmapResource("IMAGLEFT");
  ImagLeft->SetColor(gui::clWhite);  // below the picture, the window's white

  ScheBook = &Put<gui::PageBook>(*this, "ScheBook", 0, 0, kClientWidth, 300);
  ScheBook->SetAlign(gui::Align::Client);
  gui::Page* pages[6] = {};
  for (int i = 0; i < 6; ++i) {
    const AnsiString name = Format("page%d", i + 1);
    pages[i] = &Put<gui::Page>(*ScheBook, name, 0, 0, kClientWidth, 300);
    pages[i]->SetCaption(name);
    pages[i]->SetColor(gui::clWhite);  // the window's white behind every page
  }

  // Page 0, welcome.
  Panel1 = &Put<gui::Panel>(*pages[0], "Panel1", 0, 0, 391, 286);
  Panel1->SetAlign(gui::Align::Client);
  Panel1->SetBevel(false);
  Panel1->SetColor(gui::clWhite);
  Label6 = &PutLabel(*this, *Panel1, "Label6", 24, 22, "");
  Label6->SetFont(gui::SimSunFont(14, true));
  Label6->SetColor(gui::clWhite);
  Label7 = &Put<gui::Label>(*Panel1, "Label7", 24, 66, 340, 80);
  Label7->SetAutoSize(false);
  Label7->SetWordWrap(true);
  Label7->SetColor(gui::clWhite);

  // Page 1, licence.
  Memo1 = &Put<gui::Memo>(*pages[1], "Memo1", 13, 16, 488, 169);
  Memo1->SetScrollBars(gui::ScrollBars::Vertical);
  Memo1->SetLines({"", "授权许可须知", "-----------------"});
  RadioButton1 = &Put<gui::RadioButton>(*pages[1], "RadioButton1", 24, 198, 200, 17);
  RadioButton1->SetCaption("我同意以上条款");
  RadioButton1->SetColor(gui::clWhite);
  RadioButton1->SetChecked(true);
  RadioButton2 = &Put<gui::RadioButton>(*pages[1], "RadioButton2", 24, 220, 200, 17);
  RadioButton2->SetCaption("我不同意以上条款");
  RadioButton2->SetColor(gui::clWhite);

  // Page 2, install folder.
  gui::Page& folder = *pages[2];
  Label3 = &PutLabel(*this, folder, "Label3", 28, 14, "请选择安装路径及文件夹，然后点击“下一步”");
  Label3->SetFont(Tahoma(12, true));
  Label3->SetColor(gui::clWhite);
  Label10 = &PutLabel(*this, folder, "Label10", 28, 48, "默认路径");
  Label10->SetColor(gui::clWhite);
  Edit_Path = &Put<gui::Edit>(folder, "Edit_Path", 28, 68, 385, 22);
  Edit_Path->SetText("D:\\Program Files\\DirName");
  Button1 = &Put<gui::Button>(folder, "Button1", 424, 65, 73, 25);
  Button1->SetCaption("浏览");
  Label1 = &PutLabel(*this, folder, "Label1", 28, 106, "选择改变安装路径（双击鼠标快速改变路径）");
  Label1->SetTransparent(true);
  Separator1 = &Put<gui::Separator>(folder, "Separator1", 12, 125, 400, 2);
  for (const HeaderSpec& cell : kHeaders) {
    auto& header = Put<gui::HeaderCell>(folder, cell.name, cell.left, 130, cell.width, 21);
    header.SetCaption(cell.caption);
    FieldHeaders.push_back(&header);
  }
  Shape1 = &Put<gui::Shape>(folder, "Shape1", 26, 151, 388, 92);
  DiskGrid = &Put<gui::StringGrid>(folder, "DiskGrid", 27, 153, 386, 89);
  DiskGrid->SetFont(gui::SimSunFont(12));
  DiskGrid->SetColCount(4);
  DiskGrid->SetDefaultRowHeight(14);
  gui::GridOptions options;
  options.border = false;
  options.rowSelect = true;
  options.horzLines = true;
  options.vertLines = false;
  options.scrollBars = gui::ScrollBars::Vertical;
  DiskGrid->SetOptions(options);
  DiskGrid->SetHint("双击鼠标选择磁盘名称（卷标）");
  chbdesktop = &Put<gui::CheckBox>(folder, "chbdesktop", 30, 256, 200, 17);
  chbdesktop->SetCaption("创建桌面快捷方式");
  chbdesktop->SetColor(gui::clWhite);
  chbdesktop->SetChecked(true);

  // Page 3, confirmation.
  Label2 = &PutLabel(*this, *pages[3], "Label2", 40, 56, "安装程序已经准备好在您的计算机上安装...");
  Label2->SetColor(gui::clWhite);

  // Page 5, finish.
  Panel2 = &Put<gui::Panel>(*pages[5], "Panel2", 0, 0, 391, 286);
  Panel2->SetAlign(gui::Align::Client);
  Panel2->SetBevel(false);
  Panel2->SetColor(gui::clWhite);
  Label8 = &PutLabel(*this, *Panel2, "Label8", 88, 22, "... 安装完毕");
  Label8->SetFont(gui::SimSunFont(14, true));
  Label8->SetColor(gui::clWhite);
  Label9 = &PutLabel(*this, *Panel2, "Label9", 88, 54, "请点击“完毕”按钮退出安装程序。");
  Label9->SetColor(gui::clWhite);
  chbrun = &Put<gui::CheckBox>(*Panel2, "chbrun", 92, 106, 150, 17);
  chbrun->SetCaption("运行软件");
  chbrun->SetColor(gui::clWhite);
  chbrun->SetChecked(true);

  // The installation run makes the program group through this conversation; it opens only
  // when asked.
  DdeClientConv1 = &Make<gui::DdeClientConv>("DdeClientConv1");
  DdeClientConv1->SetConnectMode(gui::DdeConnectMode::Manual);

  ScheBook->SetPageIndex(0);
}
