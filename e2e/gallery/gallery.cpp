// korv_gallery.exe: one dialog-framed window holding a control of every kind the wizard uses, on
// the real Windows back end, for the end-to-end scenario controls.sh. A label shows what the
// program's model holds after every event, one "name=value" line per field, so the robot reads
// the model itself and not only what the windows show. A panel that stays disabled holds an edit
// and a check box: input forced into them must change nothing. Closing the window ends the
// program with exit code 0.
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/ComApartment.h"
#include "platform/gui/Application.h"
#include "platform/gui/Button.h"
#include "platform/gui/CheckBox.h"
#include "platform/gui/Edit.h"
#include "platform/gui/Memo.h"
#include "platform/gui/ProgressBar.h"
#include "platform/gui/RadioButton.h"
#include "platform/win32/gui/Win32Backend.h"

namespace {

// Each press of the button advances the progress bar by this much.
constexpr int kProgressStep = 10;

class GalleryForm : public gui::Form {
 public:
  GalleryForm(gui::Component* owner, AnsiString name)
      : gui::Form(owner, std::move(name)),
        next_(Put<gui::Button>(*this, "BtnNext", 16, 16, 100, 26)),
        desktop_(Put<gui::CheckBox>(*this, "chbdesktop", 16, 52, 240, 20)),
        agree_(Put<gui::RadioButton>(*this, "RadioButton1", 16, 78, 240, 20)),
        disagree_(Put<gui::RadioButton>(*this, "RadioButton2", 16, 100, 240, 20)),
        path_(Put<gui::Edit>(*this, "Edit_Path", 16, 128, 320, 22)),
        notes_(Put<gui::Memo>(*this, "Memo1", 16, 158, 320, 84)),
        progress_(Put<gui::ProgressBar>(*this, "pgbs", 16, 252, 320, 18)),
        locked_(Put<gui::Panel>(*this, "PanelLocked", 16, 280, 320, 64)),
        lockedPath_(Put<gui::Edit>(locked_, "Edit_Locked", 8, 8, 300, 22)),
        lockedBox_(Put<gui::CheckBox>(locked_, "chblocked", 8, 36, 240, 20)),
        model_(Put<gui::Label>(*this, "LabelModel", 16, 354, 420, 110)) {
    SetCaption("控件检查");
    SetBorderStyle(gui::BorderStyle::Dialog);
    SetPosition(gui::Position::ScreenCenter);
    SetClientSize(460, 476);

    next_.SetCaption("下一步 >");
    desktop_.SetCaption("创建桌面快捷方式");
    desktop_.SetChecked(true);
    agree_.SetCaption("我同意以上条款");
    agree_.SetChecked(true);
    disagree_.SetCaption("我不同意以上条款");
    path_.SetText("D:\\Program Files\\DirName");
    notes_.SetScrollBars(gui::ScrollBars::Vertical);
    notes_.SetLines({"授权许可须知", "请仔细阅读下面的协议条款", "一、许可范围", "二、使用限制",
                     "三、免责声明", "四、其他条款"});
    progress_.SetRange(0, 100);
    lockedPath_.SetText("C:\\锁定\\不可输入");
    lockedBox_.SetCaption("锁定的选项");
    locked_.SetEnabled(false);
    model_.SetAutoSize(false);

    next_.OnClick = [this] { NextClick(); };
    for (gui::Control* box :
         std::initializer_list<gui::Control*>{&desktop_, &agree_, &disagree_, &lockedBox_}) {
      box->OnClick = [this] { ShowModel(); };
    }
    for (gui::Edit* edit : std::initializer_list<gui::Edit*>{&path_, &notes_, &lockedPath_}) {
      edit->OnChange = [this] { ShowModel(); };
    }
    ShowModel();
  }

 private:
  template <class T>
  T& Put(gui::Control& parent, const char* name, int left, int top, int width, int height) {
    T& control = Make<T>(name);
    control.SetBounds(left, top, width, height);
    control.SetParent(&parent);
    return control;
  }

  void NextClick() {
    ++clicks_;
    progress_.SetPosition(progress_.Position() + kProgressStep);
    ShowModel();
  }

  static AnsiString Flag(bool on) { return on ? "1" : "0"; }

  // The memo's lines joined by '|', so the model fits the label's one line per field.
  AnsiString MemoLines() const {
    AnsiString joined;
    for (const AnsiString& line : notes_.Lines()) {
      joined += (joined.empty() ? "" : "|") + line;
    }
    return joined;
  }

  // The fields the scenario reads back: button presses, the check box, which radio buttons are
  // checked (both digits, or none, would show a broken group rule), and the edits' texts.
  void ShowModel() {
    const AnsiString radio =
        AnsiString(agree_.Checked() ? "1" : "") + (disagree_.Checked() ? "2" : "");
    const std::vector<AnsiString> fields = {
        "clicks=" + std::to_string(clicks_),
        "check=" + Flag(desktop_.Checked()),
        "radio=" + radio,
        "edit=" + path_.Text(),
        "memo=" + MemoLines(),
        "locked-edit=" + lockedPath_.Text(),
        "locked-check=" + Flag(lockedBox_.Checked()),
    };
    AnsiString text;
    for (const AnsiString& field : fields) text += (text.empty() ? "" : "\r\n") + field;
    model_.SetCaption(text);
  }

  gui::Button& next_;
  gui::CheckBox& desktop_;
  gui::RadioButton& agree_;
  gui::RadioButton& disagree_;
  gui::Edit& path_;
  gui::Memo& notes_;
  gui::ProgressBar& progress_;
  gui::Panel& locked_;
  gui::Edit& lockedPath_;
  gui::CheckBox& lockedBox_;
  gui::Label& model_;
  int clicks_ = 0;
};

int RunGallery() {
  // COM for the user-interface thread before the application object exists and until it is
  // gone, as the setup program owns it.
  const platform::ComApartment com;
  gui::Application application(gui::CreateWin32Backend());
  GalleryForm* form = nullptr;
  application.CreateForm(form);
  application.Run();
  return 0;
}

}  // namespace

int main() { return RunGallery(); }
