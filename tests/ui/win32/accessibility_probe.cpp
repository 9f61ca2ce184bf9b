// sv-accessibility-probe: reads the windows of another process as a screen
// reader does, through Active Accessibility, and writes what it read.
//
//   sv-accessibility-probe OUTPUT QUERY...
//
// One line in OUTPUT (UTF-8) for each query, fields separated by tabs:
//   HWND      role, name, state (hex), child count, selection, focus
//   HWND:ID   role, name, state (hex) of child ID
// HWND is decimal; the selection and the focus are child ids, "-" for none.
// A failed call writes "error" and its HRESULT instead.

#include "files/win32/win32_file_system.h"
#include "ui/win32/handles.h"

#include <windows.h>

#include <cstdio>
#include <oleacc.h>
#include <string>

namespace {

using Accessible = sv::win32::unique_com<IAccessible>;

std::string hex(long value) {
  char text[16];
  return std::string(text, std::snprintf(text, sizeof(text), "%lx", value));
}

VARIANT child(long id) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = id;
  return value;
}

std::string childId(HRESULT result, VARIANT& value) {
  const std::string id = SUCCEEDED(result) && value.vt == VT_I4 ? std::to_string(value.lVal) : "-";
  VariantClear(&value);
  return id;
}

std::string describe(IAccessible& object, long id, bool self) {
  BSTR name = nullptr;
  VARIANT role = child(-1), state = child(-1), selection = child(0), focus = child(0);
  const HRESULT result = object.get_accName(child(id), &name);
  if (FAILED(result)) return "error name " + hex(result);
  object.get_accRole(child(id), &role);
  object.get_accState(child(id), &state);
  std::string line =
      std::to_string(role.lVal) + "\t" + (name ? sv::toUtf8(name) : "") + "\t" + hex(state.lVal);
  SysFreeString(name);
  if (!self) return line;
  long count = -1;
  object.get_accChildCount(&count);
  return line + "\t" + std::to_string(count) + "\t" +
         childId(object.get_accSelection(&selection), selection) + "\t" +
         childId(object.get_accFocus(&focus), focus);
}

std::string answer(const std::wstring& query) {
  std::size_t end = 0;
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoull(query, &end)));
  void* object = nullptr;
  const HRESULT result = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                                    __uuidof(IAccessible), &object);
  if (FAILED(result) || !object) return "error object " + hex(result);
  const Accessible accessible(static_cast<IAccessible*>(object));
  if (end == query.size()) return describe(*accessible, CHILDID_SELF, true);
  return describe(*accessible, std::stol(query.substr(end + 1)), false);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string out;
  for (int i = 2; i < argc; ++i) out += answer(argv[i]) + "\n";
  CoUninitialize();
  FILE* file = _wfopen(argv[1], L"wb");
  if (!file) return 1;
  std::fwrite(out.data(), 1, out.size(), file);
  return std::fclose(file) == 0 ? 0 : 1;
}
