// The wizard's pages, the Next and Back buttons, the banner, the licence choice, the two close
// confirmations and the finish action.
#include <set>
#include <string>

#include "platform/Files.h"
#include "platform/gui/DdeClientConv.h"
#include "platform/gui/PageBook.h"
#include "wizard/WizardFixture.h"

namespace {

class WizardPagesTest : public WizardFixture {
 protected:
  void SetUp() override {
    WizardFixture::SetUp();
    Machine().Files().MapDrive('D', Root() / "D");
  }
  void ExpectBanner(const char* title, const char* subtitle, const std::string& where) {
    EXPECT_TRUE(Wizard().Panel_Top->Visible()) << where;
    EXPECT_EQ(Utf8(Wizard().Label4->Caption()), Utf8(title)) << where;
    if (subtitle) {
      EXPECT_TRUE(Wizard().Label5->Visible()) << where;
      EXPECT_EQ(Utf8(Wizard().Label5->Caption()), Utf8(subtitle)) << where;
    } else {
      EXPECT_FALSE(Wizard().Label5->Visible()) << where;
    }
  }
};

const std::string kConfirmSubtitle =
    std::string("点击“下一步”开始安装") + "Korvellov2.8.3.8（标准版-k）";

TEST_F(WizardPagesTest, FirstDisplayShowsTheWelcomePageWithTheCaptionInItsTexts) {
  RunWizard([&] {
    Check([&] {
      EXPECT_EQ(Page(), 0);
      EXPECT_EQ(Utf8(Wizard().Caption()), Utf8(kCaption));
      EXPECT_FALSE(Wizard().Panel_Top->Visible());
      EXPECT_TRUE(Wizard().ImagLeft->Visible());
      EXPECT_EQ(Wizard().ImagLeft->Width(), 156);
      EXPECT_FALSE(Wizard().btnpri->Enabled());
      EXPECT_TRUE(Wizard().BtnNext->Enabled());
      EXPECT_EQ(Utf8(Wizard().BtnNext->Caption()), Utf8("下一步 >"));
      EXPECT_TRUE(Wizard().chbdesktop->Checked());
      EXPECT_TRUE(Wizard().chbrun->Checked());
      EXPECT_FALSE(Wizard().InstallStarted);
      EXPECT_EQ(Utf8(Wizard().Label6->Caption()), Utf8("欢迎使用 ") + Utf8(kCaption));
      EXPECT_EQ(Utf8(Wizard().Label7->Caption()), Utf8("即将在您的电脑上安装“") + Utf8(kCaption) +
                                                      Utf8("” 请点击“下一步”按钮继续。"));
    });
  });
}

// The mouse points with a hand over Back, Next and Exit, and nowhere else in the wizard.
TEST_F(WizardPagesTest, OnlyTheThreeButtonsOfTheButtonBarPointWithAHand) {
  RunWizard([&] {
    Check([&] {
      const std::set<std::string> hands = {"btnpri", "BtnNext", "btnexit"};
      int controls = 0;
      for (const auto& component : Wizard().Components()) {
        const auto* control = dynamic_cast<const gui::Control*>(component.get());
        if (!control) continue;
        ++controls;
        const bool hand = hands.count(control->Name()) != 0;
        EXPECT_EQ(control->GetCursor(), hand ? gui::Cursor::HandPoint : gui::Cursor::Default)
            << control->Name();
      }
      EXPECT_GT(controls, 30) << "the wizard's controls were not found";
    });
  });
}

TEST_F(WizardPagesTest, PagesAreWhiteAndTheProgramGroupConversationWaitsUnopened) {
  RunWizard([&] {
    Check([&] {
      for (const gui::Page* page : Wizard().ScheBook->Pages()) {
        EXPECT_EQ(page->GetColor(), gui::clWhite) << page->Name();
      }
      ASSERT_NE(Wizard().DdeClientConv1, nullptr);
      EXPECT_EQ(Wizard().DdeClientConv1->ConnectMode(), gui::DdeConnectMode::Manual);
      EXPECT_FALSE(Wizard().DdeClientConv1->Connected());
    });
  });
  EXPECT_TRUE(Machine().Dde().Conversations().empty());
}

TEST_F(WizardPagesTest, NextWalksToTheConfirmationAndBackKeepsTheBannerOfThePageLeft) {
  RunWizard([&] {
    User().Click("BtnNext");
    Check([&] {
      EXPECT_EQ(Page(), 1);
      ExpectBanner("用户授权协议", "请仔细阅读下面的协议条款", "licence");
      EXPECT_FALSE(Wizard().ImagLeft->Visible());
      EXPECT_EQ(Utf8(Wizard().Memo1->Text()), Utf8(kLicence));
      EXPECT_TRUE(Wizard().RadioButton1->Checked());
      EXPECT_TRUE(Wizard().btnpri->Enabled());
    });
    User().Click("BtnNext");
    Check([&] {
      EXPECT_EQ(Page(), 2);
      ExpectBanner("选择安装文件夹", nullptr, "folder");
      EXPECT_EQ(Utf8(Formain->InstallFolder), "D:\\Program Files\\Korvl280\\");
    });
    User().Click("btnpri");
    Check([&] {
      EXPECT_EQ(Page(), 1);
      ExpectBanner("选择安装文件夹", nullptr, "back from the folder page");
    });
    User().Click("BtnNext").Click("BtnNext");
    Check([&] {
      EXPECT_EQ(Page(), 3);
      ExpectBanner("安装确认", kConfirmSubtitle.c_str(), "confirmation");
      EXPECT_EQ(Utf8(Wizard().Label2->Caption()),
                Utf8("安装程序已经准备好在您的计算机上安装") + Utf8(kCaption));
    });
    User().Click("btnpri");
    Check([&] {
      EXPECT_EQ(Page(), 2);
      ExpectBanner("安装确认", kConfirmSubtitle.c_str(), "back from the confirmation");
      EXPECT_EQ(Utf8(Formain->InstallFolder), "D:\\Program Files\\Korvl280\\");
    });
    User().Click("btnpri").Click("btnpri");
    Check([&] {
      EXPECT_EQ(Page(), 0);
      EXPECT_FALSE(Wizard().Panel_Top->Visible());
      EXPECT_TRUE(Wizard().ImagLeft->Visible());
      EXPECT_TRUE(Wizard().BtnNext->Enabled());
      EXPECT_FALSE(Wizard().btnpri->Enabled());
    });
  });
}

TEST_F(WizardPagesTest, DisagreeingDisablesNextUntilTheLicenceIsEnteredAgain) {
  RunWizard([&] {
    User().Click("BtnNext").Click("RadioButton2");
    Check([&] {
      EXPECT_FALSE(Wizard().BtnNext->Enabled());
      EXPECT_FALSE(Wizard().RadioButton1->Checked());
    });
    User().Click("BtnNext");  // ignored: disabled
    Check([&] { EXPECT_EQ(Page(), 1); });
    User().Click("RadioButton1");
    Check([&] { EXPECT_TRUE(Wizard().BtnNext->Enabled()); });
    User().Click("RadioButton2").Click("btnpri");
    Check([&] {
      EXPECT_EQ(Page(), 0);
      EXPECT_TRUE(Wizard().BtnNext->Enabled());
    });
    User().Click("BtnNext");
    Check([&] {
      EXPECT_EQ(Page(), 1);
      EXPECT_TRUE(Wizard().RadioButton1->Checked());
      EXPECT_FALSE(Wizard().RadioButton2->Checked());
      EXPECT_TRUE(Wizard().BtnNext->Enabled());
    });
  });
}

TEST_F(WizardPagesTest, AnUnreadableLicenceIsReportedAndTheBannerAndBackStayAsTheyWere) {
  RunWizard([&] {
    Check([&] { platform::DeleteFile(Staged("SQXY.txt")); }, "the staged licence goes");
    User().Click("BtnNext");
    User().ExpectErrorReport("Cannot open file \"" + Staged("SQXY.txt") +
                             "\". The system cannot find the file specified");
    Check([&] {
      EXPECT_EQ(Page(), 1);
      EXPECT_TRUE(Wizard().Panel_Top->Visible());
      EXPECT_EQ(Utf8(Wizard().Label4->Caption()), Utf8("许可协议")) << "the design title stays";
      EXPECT_FALSE(Wizard().btnpri->Enabled());
      EXPECT_TRUE(Wizard().BtnNext->Enabled());
      EXPECT_EQ(Wizard().Memo1->Lines().size(), 3u) << "the design lines stay";
    });
  });
}

TEST_F(WizardPagesTest, ExitAsksInAConfirmDialogAndNoKeepsTheWizard) {
  RunWizard([&] {
    User().Click("btnexit").ExpectMessageDialog(gui::DialogType::Confirmation, kExitQuestion,
                                                gui::dlg::kYes | gui::dlg::kNo, gui::idNo);
    Check([&] {
      EXPECT_TRUE(Wizard().Visible());
      EXPECT_FALSE(App().Terminated());
    });
  });
  EXPECT_TRUE(App().Terminated());
}

TEST_F(WizardPagesTest, TheCloseBoxAsksWithOkAndCancelAndCancelKeepsTheWizard) {
  ScriptWaitForWizard();
  User().CloseBox("").ExpectMessageBox(sim::Owner::Ref(FormSchedule, "FormSchedule"), kExitTitle,
                                       kExitQuestion, 0x1, gui::idCancel);
  Check([&] { EXPECT_TRUE(Wizard().Visible()); });
  ScriptCloseWizardConfirmed();
  RunWholeSetup();
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Exists(Staged("orvlSetup.ini")));
}

TEST_F(WizardPagesTest, TheCheckBoxesSetTheProgramWideOptions) {
  RunWizard([&] {
    User().Click("BtnNext").Click("BtnNext").Click("chbdesktop");
    Check([&] { EXPECT_FALSE(CreateDesktopShortcut); });
    User().Click("chbdesktop");
    Check([&] { EXPECT_TRUE(CreateDesktopShortcut); });
  });
}

// The finish page as the installation run leaves it: started, Next reading "完毕".
void ScriptFinishPage(sim::ScriptedUser& user) {
  user.Step(
      [] {
        FormSchedule->InstallStarted = true;
        FormSchedule->ScheBook->SetPageIndex(5);
        FormSchedule->BtnNext->SetCaption("完毕");
        Formain->InstallFolder = "D:\\Program Files\\Korvl280\\";
      },
      "the run has completed");
}

// The finish action starts the product as the signed-in user through the desktop shell, and
// directly (owned by the wizard) where no desktop shell offers that.
class FinishTest : public WizardPagesTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FinishTest, WritesTheOptionsValueStartsTheProductAndEndsTheSetup) {
  const bool desktopShell = GetParam();
  Machine().Shell().SetDesktopShellAvailable(desktopShell);
  std::filesystem::create_directories(HostPath("D:\\Program Files\\Korvl280"));
  RunWizard(
      [&] {
        ScriptFinishPage(User());
        User().Click("BtnNext");
      },
      false);
  EXPECT_TRUE(App().Terminated());
  const std::string options = ReadFile("D:\\Program Files\\Korvl280\\Options.ini");
  EXPECT_NE(options.find("[Option]"), std::string::npos) << options;
  EXPECT_NE(options.find("Reset=88"), std::string::npos) << options;
  const auto log = Machine().Shell().ShellExecuteLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].throughDesktopShell, desktopShell);
  EXPECT_EQ(Utf8(log[0].owner), desktopShell ? "" : "FormSchedule");
  EXPECT_EQ(Utf8(log[0].operation), "open");
  EXPECT_EQ(Utf8(log[0].file), "D:\\Program Files\\Korvl280\\KORV.exe");
  EXPECT_EQ(log[0].parameters, "");
  EXPECT_EQ(log[0].directory, "");
  EXPECT_EQ(log[0].showCommand, 5);
}

INSTANTIATE_TEST_SUITE_P(StartedThrough, FinishTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "TheDesktopShell" : "ItselfWithoutADesktopShell";
                         });

TEST_F(WizardPagesTest, FinishWithoutRunningTheProductWritesAndStartsNothing) {
  std::filesystem::create_directories(HostPath("D:\\Program Files\\Korvl280"));
  RunWizard(
      [&] {
        ScriptFinishPage(User());
        User().Click("chbrun");
        Check([&] { EXPECT_FALSE(RunAfterFinish); });
        User().Click("BtnNext");
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_FALSE(Exists("D:\\Program Files\\Korvl280\\Options.ini"));
  EXPECT_TRUE(Machine().Shell().ShellExecuteLog().empty());
}

TEST_F(WizardPagesTest, AnUnwritableOptionsFileStillStartsTheProductOnceThenReportsAndStays) {
  // The install folder does not exist: the options file cannot be written.
  RunWizard(
      [&] {
        ScriptFinishPage(User());
        User().Click("BtnNext").ExpectErrorReport(
            "Unable to write to D:\\Program Files\\Korvl280\\Options.ini");
        Check([&] {
          EXPECT_FALSE(App().Terminated());
          EXPECT_EQ(Machine().Shell().ShellExecuteLog().size(), 1u) << "started before the report";
          EXPECT_EQ(Page(), 5);
        });
        // Another click writes again and reports again, but the product is running already.
        User().Click("BtnNext").ExpectErrorReport(
            "Unable to write to D:\\Program Files\\Korvl280\\Options.ini");
        Check([&] {
          EXPECT_FALSE(App().Terminated());
          EXPECT_EQ(Machine().Shell().ShellExecuteLog().size(), 1u) << "a second copy was started";
          // The user makes room for the options; the next click writes them and ends the setup.
          std::filesystem::create_directories(HostPath("D:\\Program Files\\Korvl280"));
        });
        User().Click("BtnNext");
      },
      false);
  EXPECT_TRUE(App().Terminated());
  EXPECT_NE(ReadFile("D:\\Program Files\\Korvl280\\Options.ini").find("Reset=88"),
            std::string::npos);
  EXPECT_EQ(Machine().Shell().ShellExecuteLog().size(), 1u) << "a copy was started by the last click";
}

}  // namespace
