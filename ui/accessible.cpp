// See accessible.h.
//
// OLEACC, OLEAUT32 and OLE32 are not imported (system_library.h): they are
// loaded when a screen reader first asks, so a run that no screen reader
// watches pays nothing for them. What the launcher does not change about a
// control (its parent, location, navigation and hit testing) comes from the
// system's standard object for the control's window.
//
// The objects are laid out by hand, a table of the interface's entries
// followed by the object's own fields: the launcher runs no static
// constructors, entries of the same shape can share one procedure, and each
// object lives as long as the program, so it counts no references.
#include "ui/accessible.h"

#include <oleacc.h>

#include <cstring>

#include "config/file_encoding.h"
#include "config/profile.h"
#include "startup/setup_state.h"
#include "startup/system_library.h"
#include "ui/access_rules.h"
#include "ui/selection.h"

namespace setupmenu {
namespace {

using LresultFromObjectProc = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdAccessibleObjectProc = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using SysAllocStringProc = BSTR(WINAPI*)(const OLECHAR*);
using CoInitializeProc = HRESULT(WINAPI*)(LPVOID);

enum { kLresultFromObject, kCreateStdAccessibleObject, kSysAllocString, kCoInitialize, kFunctionCount };
// Each function's library and name, in the order above.
constexpr char kFunctionNames[] =
    "oleacc.dll\0LresultFromObject\0"
    "oleacc.dll\0CreateStdAccessibleObject\0"
    "oleaut32.dll\0SysAllocString\0"
    "ole32.dll\0CoInitialize";
bool g_loadTried;
FARPROC g_functions[kFunctionCount];

template <typename Function>
Function Call(int index) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(g_functions[index]));
}

bool LoadAccessLibraries() {
    if (!g_loadTried) {
        g_loadTried = true;
        const char* library = kFunctionNames;
        for (int i = 0; i < kFunctionCount; ++i) {
            const char* name = library + std::strlen(library) + 1;
            g_functions[i] = FindSystemFunction(library, name);
            if (!g_functions[i]) return false;
            library = name + std::strlen(name) + 1;
        }
        // The objects reach other processes through COM, which needs the thread initialised.
        Call<CoInitializeProc>(kCoInitialize)(nullptr);
    }
    return g_functions[kCoInitialize] != nullptr;
}

// A VARIANT argument as the callee receives it. Only its type and a LONG are
// read; unlike VARIANT it needs no more than the stack's alignment, so the
// compiler leaves it where it lies instead of copying it.
struct ChildArgument {
    VARTYPE vt;
    WORD reserved[3];
    LONG lVal;
    BYTE rest[sizeof(VARIANT) - 12];
};
static_assert(sizeof(ChildArgument) == sizeof(VARIANT), "a VARIANT's size");

// One selectable control (selection.h) as a push button.
struct ControlObject {
    const void* const* entries;  // the interface's table; set on first use
    IAccessible* standard;       // the system's object for the control's window
    HWND control;
};
ControlObject g_objects[kSelectableCount];

using Self = ControlObject*;

WCHAR g_wideText[kValueChars];

int NumberOf(Self self) { return static_cast<int>(self - g_objects) + 1; }

// Why an object does not answer for `child`, or S_OK when it does. Once the
// menu has ended its texts are freed, while a screen reader may still hold
// the object: from then on it answers nothing.
HRESULT Refusal(const ChildArgument& child) {
    if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
    return g_state.hwndMenu ? S_OK : E_FAIL;
}

// An answer in a new string, or none: `*out` is set either way.
HRESULT TextAnswer(HRESULT refusal, const WCHAR* text, BSTR* out) {
    *out = refusal ? nullptr : Call<SysAllocStringProc>(kSysAllocString)(text);
    return refusal ? refusal : *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NumberAnswer(HRESULT refusal, LONG value, VARIANT* out) {
    out->vt = refusal ? VT_EMPTY : VT_I4;
    out->lVal = refusal ? 0 : value;
    return refusal;
}

// ---- IUnknown and IDispatch ---------------------------------------------

// Defined here: MinGW's import library turns IID_IAccessible into a thunk.
constexpr IID kAccessibleId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

bool SameId(REFIID a, const IID& b) {
    const DWORD* x = reinterpret_cast<const DWORD*>(&a);
    const DWORD* y = reinterpret_cast<const DWORD*>(&b);
    return x[0] == y[0] && x[1] == y[1] && x[2] == y[2] && x[3] == y[3];
}

// IAccessible, or IUnknown or IDispatch, which differ only in their first field.
HRESULT STDMETHODCALLTYPE QueryInterface(Self self, REFIID id, void** out) {
    const DWORD* words = reinterpret_cast<const DWORD*>(&id);
    const bool known = SameId(id, kAccessibleId) ||
                       ((words[0] == 0 || words[0] == 0x00020400) && words[1] == 0 && words[2] == 0xC0 &&
                        words[3] == 0x46000000);
    *out = known ? self : nullptr;
    return known ? S_OK : E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CountReference(Self) { return 1; }

// "None" or "not offered", one procedure for each size of argument list
// (the callee removes the arguments).
HRESULT STDMETHODCALLTYPE Zero(Self, LONG* out) {
    *out = 0;  // no type information, no children; an empty VARIANT: nothing selected
    return S_OK;
}
template <typename... Arguments>
HRESULT STDMETHODCALLTYPE NotOffered(Self, Arguments...) {
    return DISP_E_MEMBERNOTFOUND;
}
HRESULT STDMETHODCALLTYPE NoText(Self, ChildArgument, BSTR* out) {
    *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}
HRESULT STDMETHODCALLTYPE NoTypeInfo(Self, UINT, LCID, ITypeInfo** out) {
    *out = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}
HRESULT STDMETHODCALLTYPE NoIdsOfNames(Self, REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}
HRESULT STDMETHODCALLTYPE NoInvoke(Self, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) {
    if (result) result->vt = VT_EMPTY;
    return DISP_E_MEMBERNOTFOUND;
}
HRESULT STDMETHODCALLTYPE NoHelpTopic(Self, BSTR* file, ChildArgument, LONG* topic) {
    *file = nullptr;
    *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
}

// ---- what the launcher gives the control -------------------------------

HRESULT STDMETHODCALLTYPE GetName(Self self, ChildArgument child, BSTR* name) {
    if (const HRESULT refusal = Refusal(child)) return TextAnswer(refusal, nullptr, name);
    const int n = NumberOf(self);
    char buttonSection[] = "Button0";
    buttonSection[6] = static_cast<char>('0' + n);
    const ButtonInfo* button = n == kCancelSelection ? nullptr : &g_state.buttons[n - 1];
    const char* section = button ? buttonSection : "Cancel";
    // Read now rather than at start-up: only a screen reader needs it.
    const char* given = ReadSetting(section, "Name") ? g_state.szValue : nullptr;
    ComposeAccessibleName(given, button ? button->pszText : nullptr, button ? button->pszLabel : g_state.cancel.pszLabel,
                          n, g_state.szMessage, sizeof g_state.szMessage);
    WideOf(g_state.szMessage, g_wideText, kValueChars);
    return TextAnswer(S_OK, g_wideText, name);
}

HRESULT STDMETHODCALLTYPE GetRole(Self, ChildArgument child, VARIANT* role) {
    return NumberAnswer(Refusal(child), ROLE_SYSTEM_PUSHBUTTON, role);
}

// Focused is where the keyboard focus really is: a confirmation box, for
// one, takes it while the selection stays on the button.
HRESULT STDMETHODCALLTYPE GetState(Self self, ChildArgument child, VARIANT* state) {
    const bool focused = GetFocus() == self->control;
    return NumberAnswer(Refusal(child), STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0), state);
}

HRESULT STDMETHODCALLTYPE GetDefaultAction(Self, ChildArgument child, BSTR* action) {
    return TextAnswer(Refusal(child), L"Press", action);
}

HRESULT STDMETHODCALLTYPE DoDefaultAction(Self self, ChildArgument child) {
    const HRESULT refusal = Refusal(child);
    if (!refusal) PressSelectable(self->control);
    return refusal;
}

// ---- what the system's standard object knows ---------------------------

HRESULT STDMETHODCALLTYPE Parent(Self self, IDispatch** parent) { return self->standard->get_accParent(parent); }

HRESULT STDMETHODCALLTYPE Location(Self self, LONG* left, LONG* top, LONG* width, LONG* height, ChildArgument child) {
    return self->standard->accLocation(left, top, width, height, reinterpret_cast<const VARIANT&>(child));
}

HRESULT STDMETHODCALLTYPE Navigate(Self self, LONG direction, ChildArgument start, VARIANT* end) {
    return self->standard->accNavigate(direction, reinterpret_cast<const VARIANT&>(start), end);
}

HRESULT STDMETHODCALLTYPE HitTest(Self self, LONG x, LONG y, VARIANT* found) {
    return self->standard->accHitTest(x, y, found);
}

HRESULT STDMETHODCALLTYPE Focus(Self self, VARIANT* focus) { return self->standard->get_accFocus(focus); }

// A procedure as an entry of the table; the table's shape is the interface's.
#define ENTRY(...) reinterpret_cast<const void*>(&__VA_ARGS__)

// In the order of the interface: IUnknown, IDispatch, IAccessible.
const void* const kEntries[] = {
    ENTRY(QueryInterface),
    ENTRY(CountReference),                          // AddRef
    ENTRY(CountReference),                          // Release
    ENTRY(Zero),                                    // GetTypeInfoCount
    ENTRY(NoTypeInfo),                              // GetTypeInfo
    ENTRY(NoIdsOfNames),                            // GetIDsOfNames
    ENTRY(NoInvoke),                                // Invoke
    ENTRY(Parent),                                  // get_accParent
    ENTRY(Zero),                                    // get_accChildCount
    ENTRY(NoText),                                  // get_accChild
    ENTRY(GetName),                                 // get_accName
    ENTRY(NoText),                                  // get_accValue
    ENTRY(NoText),                                  // get_accDescription
    ENTRY(GetRole),                                 // get_accRole
    ENTRY(GetState),                                // get_accState
    ENTRY(NoText),                                  // get_accHelp
    ENTRY(NoHelpTopic),                             // get_accHelpTopic
    ENTRY(NoText),                                  // get_accKeyboardShortcut
    ENTRY(Focus),                                   // get_accFocus
    ENTRY(Zero),                                    // get_accSelection
    ENTRY(GetDefaultAction),                        // get_accDefaultAction
    ENTRY(NotOffered<LONG, ChildArgument>),               // accSelect
    ENTRY(Location),                                // accLocation
    ENTRY(Navigate),                                // accNavigate
    ENTRY(HitTest),                                 // accHitTest
    ENTRY(DoDefaultAction),                         // accDoDefaultAction
    ENTRY(NotOffered<ChildArgument, void*>),              // put_accName
    ENTRY(NotOffered<ChildArgument, void*>),              // put_accValue
};
#undef ENTRY

}  // namespace

LRESULT AnswerAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam) {
    // The object id arrives zero-extended in a 64-bit program.
    const int n = SelectableNumber(control);
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || n == 0 || !LoadAccessLibraries()) return 0;
    ControlObject& object = g_objects[n - 1];
    if (!object.standard &&
        FAILED(Call<CreateStdAccessibleObjectProc>(kCreateStdAccessibleObject)(
            control, OBJID_CLIENT, kAccessibleId, reinterpret_cast<void**>(&object.standard)))) {
        return 0;
    }
    object.entries = kEntries;
    object.control = control;
    const LRESULT answer = Call<LresultFromObjectProc>(kLresultFromObject)(kAccessibleId, wParam,
                                                                           reinterpret_cast<IUnknown*>(&object));
    return answer > 0 ? answer : 0;
}

}  // namespace setupmenu
