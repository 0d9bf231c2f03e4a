// Starting a program as the signed-in user: the desktop shell (explorer) runs unelevated, and its
// automation object for the desktop window starts programs from its own process. The way there:
// the shell windows collection, the desktop's window, its browser, the active view, the view's
// automation object, and the shell application object behind it.
#include <memory>
#include <string>

#include "platform/Shell.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/ShellClassIds.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shobjidl.h>

// The character-set macro would rename the program's own ShellExecute.
#undef ShellExecute

namespace platform {
namespace {

using win32::ComPtr;

// A VARIANT that owns what it holds.
class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  explicit Variant(const std::wstring& text) : Variant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  explicit Variant(int number) : Variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
  }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT& Get() { return value_; }

 private:
  VARIANT value_;
};

struct BstrFree {
  void operator()(BSTR text) const noexcept { ::SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// The shell application object of the desktop shell's process; empty when there is none.
ComPtr<IShellDispatch2> DesktopShellApplication() {
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(win32::kShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER,
                                __uuidof(IShellWindows), windows.PutVoid()))) {
    return {};
  }
  Variant location;
  Variant root;
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&location.Get(), &root.Get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            desktop.Put()) != S_OK ||
      !desktop) {
    return {};
  }
  const auto services = desktop.As<IServiceProvider>();
  ComPtr<IShellBrowser> browser;
  if (!services || FAILED(services->QueryService(win32::kTopLevelBrowserService,
                                                 __uuidof(IShellBrowser), browser.PutVoid()))) {
    return {};
  }
  ComPtr<IShellView> view;
  if (FAILED(browser->QueryActiveShellView(view.Put())) || !view) return {};
  ComPtr<IDispatch> background;
  if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.PutVoid()))) {
    return {};
  }
  const auto folderView = background.As<IShellFolderViewDual>();
  ComPtr<IDispatch> application;
  if (!folderView || FAILED(folderView->get_Application(application.Put())) || !application) {
    return {};
  }
  return application.As<IShellDispatch2>();
}

bool StartThroughDesktopShell(const AnsiString& operation, const AnsiString& file,
                              const AnsiString& parameters, const AnsiString& directory,
                              int showCommand) {
  const ComPtr<IShellDispatch2> shell = DesktopShellApplication();
  if (!shell) return false;
  const std::wstring wideFile = win32::Wide(file);
  const UniqueBstr fileName(
      ::SysAllocStringLen(wideFile.data(), static_cast<UINT>(wideFile.size())));
  Variant arguments(win32::Wide(parameters));
  Variant folder(win32::Wide(directory));
  Variant verb(win32::Wide(operation));
  Variant show(showCommand);
  const HRESULT result =
      shell->ShellExecute(fileName.get(), arguments.Get(), folder.Get(), verb.Get(), show.Get());
  return SUCCEEDED(result);
}

}  // namespace

StartedThrough StartAsSignedInUser(const gui::Form* owner, const AnsiString& operation,
                                   const AnsiString& file, const AnsiString& parameters,
                                   const AnsiString& directory, int showCommand) {
  if (StartThroughDesktopShell(operation, file, parameters, directory, showCommand)) {
    return StartedThrough::DesktopShell;
  }
  ShellExecute(owner, operation, file, parameters, directory, showCommand);
  return StartedThrough::Directly;
}

}  // namespace platform
