// Registry text the program's code page cannot hold. Another program can store any UTF-16 text;
// the accessor reports such a value rather than pass it on mangled. (The simulated machine keeps
// every text in code page 936, so it has no such value to offer.)
#include "contract/ContractEnv.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/win32/Cp936.h"
#include "platform/win32/UniqueResource.h"
#include "platform/win32/WindowsApi.h"

namespace contract {
namespace {

using RegistryEncoding = ContractTest;

TEST_F(RegistryEncoding, AValueCodePage936CannotHoldIsAnEncodingError) {
  // Thai ko kai: no form in code page 936.
  const std::wstring text = L"D:\\\x0E01\\";
  {
    platform::win32::UniqueHKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, platform::win32::Wide(RegistryKey()).c_str(), 0,
                                nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(
        ::RegSetValueExW(key.Get(), L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
  }
  platform::Registry registry;
  ASSERT_TRUE(registry.OpenKey(RegistryKey(), false));
  EXPECT_THROW(registry.ReadString("Path"), EEncodingError);
}

}  // namespace
}  // namespace contract
