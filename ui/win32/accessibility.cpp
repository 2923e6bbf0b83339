#include "ui/win32/accessibility.h"

#include <commctrl.h>
#include <oleacc.h>
#include <uiautomationcore.h>

#include <string>

namespace ui::win32 {
namespace {

// Looked up only when a screen reader first asks, from the system folder: a
// run without one neither loads them nor pays for them at start-up.
struct ComFunctions {
  decltype(&CoInitializeEx) coInitializeEx = nullptr;
  decltype(&CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
  decltype(&LresultFromObject) lresultFromObject = nullptr;
  decltype(&SysAllocString) sysAllocString = nullptr;
  bool Complete() const {
    return coInitializeEx && createStdAccessibleObject && lresultFromObject && sysAllocString;
  }
};

HMODULE SystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L'\\' + name).c_str());
}

// The function of that name in the module, if both are there.
template <typename Pointer> void Find(HMODULE module, Pointer& pointer, const char* name) {
  if (module)
    pointer = reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const ComFunctions& Com() {
  static const ComFunctions functions = [] {
    ComFunctions f;
    const HMODULE ole32 = SystemLibrary(L"ole32.dll");
    const HMODULE oleaut32 = SystemLibrary(L"oleaut32.dll");
    const HMODULE oleacc = SystemLibrary(L"oleacc.dll");
    Find(ole32, f.coInitializeEx, "CoInitializeEx");
    Find(oleaut32, f.sysAllocString, "SysAllocString");
    Find(oleacc, f.createStdAccessibleObject, "CreateStdAccessibleObject");
    Find(oleacc, f.lresultFromObject, "LresultFromObject");
    // The object is handed to the screen reader through COM.
    if (f.Complete()) f.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return f;
  }();
  return functions;
}

struct Texts {
  std::wstring description, name; // no name: the system's
};

// The system's object of the window, with a description (and perhaps a
// name) of its own.
class Described final : public IAccessible {
public:
  Described(IAccessible* system, const Texts& texts) : system_(system), texts_(texts) {}
  Described(const Described&) = delete;
  Described& operator=(const Described&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    return system_->QueryInterface(iid, out); // IOleWindow, IEnumVARIANT
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      system_->Release();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
    if (child.vt != VT_I4 || child.lVal != CHILDID_SELF)
      return system_->get_accDescription(child, out);
    if (!out) return E_POINTER;
    *out = Com().sysAllocString(texts_.description.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  // Everything else as the system answers it.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    return system_->GetTypeInfoCount(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    return system_->GetTypeInfo(i, l, t);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l,
                                          DISPID* d) override {
    return system_->GetIDsOfNames(r, n, c, l, d);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                                   EXCEPINFO* e, UINT* a) override {
    return system_->Invoke(d, r, l, f, p, v, e, a);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override {
    return system_->get_accParent(p);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
    return system_->get_accChildCount(n);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override {
    return system_->get_accChild(c, p);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* s) override {
    if (texts_.name.empty() || c.vt != VT_I4 || c.lVal != CHILDID_SELF)
      return system_->get_accName(c, s);
    if (!s) return E_POINTER;
    *s = Com().sysAllocString(texts_.name.c_str());
    return *s ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* s) override {
    return system_->get_accValue(c, s);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override {
    return system_->get_accRole(c, r);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override {
    return system_->get_accState(c, s);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* s) override {
    return system_->get_accHelp(c, s);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
    return system_->get_accHelpTopic(f, c, t);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* s) override {
    return system_->get_accKeyboardShortcut(c, s);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* c) override { return system_->get_accFocus(c); }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* c) override {
    return system_->get_accSelection(c);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* s) override {
    return system_->get_accDefaultAction(c, s);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override {
    return system_->accSelect(f, c);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
    return system_->accLocation(x, y, w, h, c);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* e) override {
    return system_->accNavigate(d, s, e);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override {
    return system_->accHitTest(x, y, c);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override {
    return system_->accDoDefaultAction(c);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR s) override {
    return system_->put_accName(c, s);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR s) override {
    return system_->put_accValue(c, s);
  }

private:
  ~Described() = default;
  IAccessible* system_;
  Texts texts_;
  LONG references_ = 1;
};

LRESULT CALLBACK AnswerScreenReaders(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data) {
  auto* texts = reinterpret_cast<Texts*>(data);
  const auto object = static_cast<LONG>(static_cast<DWORD>(lParam));
  // A window without a caption is named through its window object too,
  // which is what a screen reader reads of a dialog.
  if (message == WM_GETOBJECT &&
      (object == OBJID_CLIENT || (object == OBJID_WINDOW && !texts->name.empty())) &&
      Com().Complete()) {
    IAccessible* system = nullptr;
    if (SUCCEEDED(Com().createStdAccessibleObject(hwnd, object, __uuidof(IAccessible),
                                                  reinterpret_cast<void**>(&system)))) {
      auto* described = new Described(system, *texts);
      const LRESULT result = Com().lresultFromObject(__uuidof(IAccessible), wParam, described);
      described->Release();
      return result;
    }
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, AnswerScreenReaders, id);
    delete texts;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// NotificationKind_ActionCompleted and NotificationProcessing_MostRecent:
// the answer to the user's Convert, a newer one replacing one not yet said.
constexpr int kActionCompleted = 2;
constexpr int kMostRecent = 3;

} // namespace

NotificationFunctions& Notifications() {
  static NotificationFunctions functions = [] {
    NotificationFunctions f;
    const HMODULE uia = SystemLibrary(L"uiautomationcore.dll");
    const HMODULE oleaut32 = SystemLibrary(L"oleaut32.dll");
    Find(uia, f.clientsAreListening, "UiaClientsAreListening");
    Find(uia, f.hostProviderFromHwnd, "UiaHostProviderFromHwnd");
    Find(uia, f.raiseNotificationEvent, "UiaRaiseNotificationEvent");
    Find(oleaut32, f.sysAllocString, "SysAllocString");
    Find(oleaut32, f.sysFreeString, "SysFreeString");
    return f;
  }();
  return functions;
}

void AnnounceToScreenReaders(HWND window, std::string_view text) {
  const NotificationFunctions& f = Notifications();
  if (!f.clientsAreListening || !f.hostProviderFromHwnd || !f.raiseNotificationEvent ||
      !f.sysAllocString || !f.sysFreeString || !f.clientsAreListening())
    return;
  IRawElementProviderSimple* provider = nullptr;
  if (FAILED(f.hostProviderFromHwnd(window, &provider)) || !provider) return;
  const BSTR said = f.sysAllocString(Wide(text).c_str());
  const BSTR activity = f.sysAllocString(L"Quadrangler.GridReference");
  if (said && activity)
    f.raiseNotificationEvent(provider, kActionCompleted, kMostRecent, said, activity);
  f.sysFreeString(activity); // null is allowed
  f.sysFreeString(said);
  provider->Release();
}

void DescribeToScreenReaders(HWND window, std::string_view description, std::string_view name) {
  SetWindowSubclass(window, AnswerScreenReaders, 1,
                    reinterpret_cast<DWORD_PTR>(new Texts{Wide(description), Wide(name)}));
}

} // namespace ui::win32
