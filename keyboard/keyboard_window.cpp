#include "keyboard/keyboard_window.hpp"

#include <string>
#include <vector>

#include "keyboard/keyboard_interfaces.hpp"

namespace kestro::keyboard {
namespace {

constexpr int kKey = 34;     // key width and height
constexpr int kPitch = 36;   // key width plus gap
constexpr int kMargin = 8;
constexpr int kRowTop = 44;

// Letters in the rows of a typewriter keyboard.
constexpr const char* kLetterRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};

int IdOf(KeyId key) {
  switch (key.group) {
    case KeyGroup::Huruf:
      return kIdHurufBase + key.index;
    case KeyGroup::Number:
      return kIdNumberBase + key.index;
    case KeyGroup::Symbol:
      return kIdSymbolBase + key.index;
    case KeyGroup::Del:
      return kIdDel;
    case KeyGroup::Con:
      return kIdConBase + key.index;
    case KeyGroup::Con1:
      return kIdCon1Base + key.index;
  }
  return 0;
}

std::vector<KeyId> AllKeys() {
  std::vector<KeyId> keys;
  for (KeyGroup group : {KeyGroup::Huruf, KeyGroup::Number, KeyGroup::Symbol, KeyGroup::Del, KeyGroup::Con,
                         KeyGroup::Con1}) {
    for (int i = 0; i < KeyCount(group); ++i) keys.push_back({group, i});
  }
  return keys;
}

}  // namespace

KeyboardWindow::~KeyboardWindow() {
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void KeyboardWindow::UnregisterWindowClass(HINSTANCE instance) { UnregisterClassW(kWindowClass, instance); }

bool KeyboardWindow::Create(HINSTANCE instance) {
  instance_ = instance;
  model_.Reset();  // a new window starts from the load state
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!GetClassInfoExW(instance, kWindowClass, &existing)) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &KeyboardWindow::Procedure;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = kWindowClass;
    cls.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    if (RegisterClassExW(&cls) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT area{0, 0, kMargin + 12 * kPitch + 2 * kPitch + 16 + kMargin, kRowTop + 5 * kPitch + kMargin};
  AdjustWindowRectEx(&area, style, FALSE, 0);
  window_ = CreateWindowExW(0, kWindowClass, kWindowCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                            area.right - area.left, area.bottom - area.top, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  CreateControls(instance);
  Refresh();
  return true;
}

HWND KeyboardWindow::AddButton(HINSTANCE instance, int id, int x, int y, int width) {
  HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, y, width,
                                kKey, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return button;
}

void KeyboardWindow::CreateControls(HINSTANCE instance) {
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  const int width = kMargin + 12 * kPitch + 2 * kPitch + 16;
  text1_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                           kMargin, kMargin, width - kMargin, 26, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdText1)), instance, nullptr);
  SendMessageW(text1_, WM_SETFONT, font, FALSE);

  // Row 0: the numbers, "-", "=" and Backspace.
  for (int i = 0; i < kNumberCount; ++i) AddButton(instance, kIdNumberBase + i, kMargin + i * kPitch, kRowTop, kKey);
  AddButton(instance, kIdSymbolBase + 0, kMargin + 10 * kPitch, kRowTop, kKey);
  AddButton(instance, kIdSymbolBase + 1, kMargin + 11 * kPitch, kRowTop, kKey);
  AddButton(instance, kIdDel, kMargin + 12 * kPitch, kRowTop, 2 * kPitch + 16 - 2);

  // Rows 1 to 3: letters, with the symbol keys at the end of each row and the two
  // toggles (press and release buttons on the same spot) at the start of rows 2, 3.
  const int rowStart[] = {kMargin + kPitch / 2, kMargin + 2 * kPitch + kPitch / 2, kMargin + 3 * kPitch};
  const int rowSymbols[3][3] = {{2, 3, 4}, {5, 6, -1}, {7, 8, 9}};
  for (int row = 0; row < 3; ++row) {
    const int y = kRowTop + (row + 1) * kPitch;
    int x = rowStart[row];
    for (const char* c = kLetterRows[row]; *c != '\0'; ++c, x += kPitch) {
      AddButton(instance, kIdHurufBase + (*c - 'a'), x, y, kKey);
    }
    for (const int symbol : rowSymbols[row]) {
      if (symbol < 0) continue;
      AddButton(instance, kIdSymbolBase + symbol, x, y, kKey);
      x += kPitch;
    }
  }
  const int capsY = kRowTop + 2 * kPitch;
  const int shiftY = kRowTop + 3 * kPitch;
  AddButton(instance, kIdConBase + kCapsIndex, kMargin, capsY, 2 * kPitch + kPitch / 2 - 2);
  AddButton(instance, kIdCon1Base + kCapsIndex, kMargin, capsY, 2 * kPitch + kPitch / 2 - 2);
  AddButton(instance, kIdConBase + kShiftIndex, kMargin, shiftY, 3 * kPitch - 2);
  AddButton(instance, kIdCon1Base + kShiftIndex, kMargin, shiftY, 3 * kPitch - 2);

  // Row 4: the space bar and the Caps Lock indicator.
  const int spaceY = kRowTop + 4 * kPitch;
  AddButton(instance, kIdHurufBase + kSpaceIndex, kMargin + 3 * kPitch, spaceY, 7 * kPitch - 2);
  lblInfo_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                             kMargin + 11 * kPitch, spaceY, 3 * kPitch, kKey, window_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdLblInfo)), instance, nullptr);
  SendMessageW(lblInfo_, WM_SETFONT, font, FALSE);
}

bool KeyboardWindow::KeyFromId(int id, KeyId& key) const {
  const struct {
    int base;
    KeyGroup group;
  } ranges[] = {{kIdHurufBase, KeyGroup::Huruf}, {kIdNumberBase, KeyGroup::Number}, {kIdSymbolBase, KeyGroup::Symbol},
                {kIdDel, KeyGroup::Del},         {kIdConBase, KeyGroup::Con},       {kIdCon1Base, KeyGroup::Con1}};
  for (const auto& range : ranges) {
    if (id >= range.base && id < range.base + KeyCount(range.group)) {
      key = {range.group, id - range.base};
      return true;
    }
  }
  return false;
}

bool KeyboardWindow::IsKeyButton(HWND control) const {
  if (control == nullptr || GetParent(control) != window_) return false;
  KeyId key{};
  return KeyFromId(GetDlgCtrlID(control), key);
}

void KeyboardWindow::Refresh() {
  for (const KeyId key : AllKeys()) {
    HWND button = GetDlgItem(window_, IdOf(key));
    if (button == nullptr) continue;
    SetWindowTextW(button, model_.Caption(key).c_str());
    ShowWindow(button, model_.Visible(key) ? SW_SHOWNA : SW_HIDE);
  }
  SetWindowTextW(lblInfo_, model_.IndicatorText().c_str());
  const int length = GetWindowTextLengthW(text1_);
  std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(text1_, shown.data(), length + 1);
  shown.resize(static_cast<std::size_t>(length));
  if (shown != model_.Text()) {
    SetWindowTextW(text1_, model_.Text().c_str());
    const auto end = static_cast<WPARAM>(model_.Text().size());
    SendMessageW(text1_, EM_SETSEL, end, static_cast<LPARAM>(end));
  }
}

void KeyboardWindow::OnClick(int id) {
  KeyId key{};
  if (!KeyFromId(id, key)) return;
  // The box can be edited directly too: start from what it shows now.
  const int length = GetWindowTextLengthW(text1_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(text1_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  model_.SetText(text);
  model_.Click(key);
  Refresh();
}

void KeyboardWindow::Unload() {
  ShowWindow(window_, SW_HIDE);
  model_.Reset();
  Refresh();
  PostMessageW(window_, WM_NULL, 0, 0);  // wakes a modal loop waiting in GetMessage
}

void KeyboardWindow::Hide() {
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_HIDE);
  PostMessageW(window_, WM_NULL, 0, 0);
}

namespace {

struct DisabledWindows {
  HWND keep;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOther(HWND window, LPARAM data) {
  auto* state = reinterpret_cast<DisabledWindows*>(data);
  if (window != state->keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    state->windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

HRESULT KeyboardWindow::Show(short style, HWND owner) {
  // An owner's destruction takes the windows it owns with it: make the window again.
  if (window_ == nullptr && (instance_ == nullptr || !Create(instance_))) return E_FAIL;
  if (style == 1 && (modal_ || IsWindowVisible(window_))) return E_UNEXPECTED;  // already shown
  if (owner != nullptr) {
    if (!IsWindow(owner)) return E_INVALIDARG;
    owner = GetAncestor(owner, GA_ROOT);  // only a top-level window can own another
    if (owner == window_) return E_INVALIDARG;  // owned by itself: an ownership loop
    if (owner == GetDesktopWindow()) owner = nullptr;  // owned by the desktop means unowned
  }
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  if (style != 1) {
    ShowWindow(window_, SW_SHOWNORMAL);
    return S_OK;
  }
  // Modal: the thread's other windows take no input until the keyboard closes.
  DisabledWindows disabled{window_, {}};
  EnumThreadWindows(GetCurrentThreadId(), &DisableOther, reinterpret_cast<LPARAM>(&disabled));
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  RunModalLoop();
  for (HWND window : disabled.windows) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (owner != nullptr) SetForegroundWindow(owner);
  return S_OK;
}

void KeyboardWindow::RunModalLoop() {
  modal_ = true;
  MSG message{};
  while (window_ != nullptr && IsWindowVisible(window_)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // leave the quit for the caller's loop
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  modal_ = false;
}

LRESULT CALLBACK KeyboardWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<KeyboardWindow*>(create->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<KeyboardWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->OnMessage(message, wParam, lParam);
}

LRESULT KeyboardWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        OnClick(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_SETCURSOR:
      // Every key, toggle and Backspace shows the hand.
      if (IsKeyButton(reinterpret_cast<HWND>(wParam))) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == lblInfo_) {
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, static_cast<COLORREF>(model_.IndicatorColour()));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_DESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace kestro::keyboard
