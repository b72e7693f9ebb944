// The performance monitor panel: the CPU bar meter and percentage, the CPU
// history graph and the four memory panels, refreshed by the 500 ms
// performance timer tmrPeformance.
#include <algorithm>
#include <memory>

#include "systools/performance_model.hpp"
#include "systools/win32/panel_ids.hpp"
#include "systools/win32/performance_source.hpp"
#include "systools/win32/tools_panels.hpp"
#include "systools/win32/ui_style.hpp"
#include "systools/win32/window_base.hpp"

namespace kestro::systools {
namespace {

constexpr UINT_PTR kPerformanceTimer = 1;  // tmrPeformance
constexpr UINT kPerformanceInterval = 500;

class PerformancePanel final : public ToolWindow {
 public:
  HWND Make(HWND parent) {
    return Create(L"KestroPerformancePanel", 0, WS_CHILD | WS_CLIPSIBLINGS, L"", 0, 0, 0, 0, parent, nullptr,
                  true);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        meter_ = CreateCpuMeter();
        meter_->Initialize();
        SetTimer(hwnd(), kPerformanceTimer, kPerformanceInterval, nullptr);
        Tick();
        return 0;
      case WM_TIMER:
        if (wParam == kPerformanceTimer) Tick();
        return 0;
      case kMsgPerformanceTick:
        Tick();
        return 0;
      case WM_SIZE:
        InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
      case WM_PAINT:
        Paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_DESTROY:
        KillTimer(hwnd(), kPerformanceTimer);
        if (meter_) meter_->Terminate();
        return 0;
      default:
        return Default(message, wParam, lParam);
    }
  }

 private:
  // One performance tick: the load, the meter and history, then the panels.
  void Tick() {
    load_ = meter_->Query();
    if (load_ != -1) history_.Push(load_);
    if (const auto counts = ReadPerformanceCounts()) panels_ = MemoryPanels(*counts);
    if (IsWindowVisible(hwnd())) InvalidateRect(hwnd(), nullptr, FALSE);
  }

  struct Layout {
    RECT cpuCard, historyCard;
    RECT memoryCards[4];
  };

  Layout ComputeLayout(const RECT& client) const {
    const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
    const int margin = du.X(6);
    const int gap = du.X(5);
    const int width = client.right - 2 * margin;
    const int height = client.bottom - 2 * margin;
    const bool oneRow = width >= 4 * du.X(95);
    const int rowHeight = du.Y(48);
    const int memoryHeight = oneRow ? rowHeight : 2 * rowHeight + gap;
    const int topHeight = std::max(du.Y(60), height - memoryHeight - gap);
    const int cpuWidth = du.X(64);

    Layout layout{};
    layout.cpuCard = {margin, margin, margin + cpuWidth, margin + topHeight};
    layout.historyCard = {margin + cpuWidth + gap, margin, margin + width, margin + topHeight};
    const int top = margin + topHeight + gap;
    const int columns = oneRow ? 4 : 2;
    const int cardWidth = (width - (columns - 1) * gap) / columns;
    // Totals last, as the panels come; placed in the order Physical, Commit, Kernel, Totals.
    for (int i = 0; i < 4; ++i) {
      const int column = i % columns;
      const int row = i / columns;
      const int left = margin + column * (cardWidth + gap);
      const int y = top + row * (rowHeight + gap);
      layout.memoryCards[i] = {left, y, left + cardWidth, y + rowHeight};
    }
    return layout;
  }

  static RECT CardBody(HDC dc, const RECT& card, const wchar_t* title) {
    const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
    ui::FillSolid(dc, card, ui::kCardBackground);
    ui::FrameSolid(dc, card, ui::kRule);
    RECT caption = {card.left + du.X(4), card.top + du.Y(2), card.right - du.X(4), card.top + du.Y(12)};
    ui::DrawTextIn(dc, title, caption, ui::Font::BodyBold, ui::kText);
    return {card.left + du.X(4), caption.bottom + du.Y(2), card.right - du.X(4), card.bottom - du.Y(4)};
  }

  void PaintMeter(HDC dc, const RECT& box) const {
    ui::FillSolid(dc, box, ui::kMeterBackground);
    const ui::DialogUnits du = ui::DialogUnits::ForBodyFont();
    const LoadLabel label = LoadLabelFor(load_);
    const int labelHeight = du.Y(12);
    RECT segments = {box.left + du.X(6), box.top + du.Y(5), box.right - du.X(6),
                     box.bottom - labelHeight - du.Y(3)};
    const int pitch = std::max(3, static_cast<int>(segments.bottom - segments.top) / kBarSegments);
    const int barHeight = std::max(2, pitch * 2 / 3);
    const int middle = (segments.left + segments.right) / 2;
    const COLORREF dark = GetSysColor(COLOR_GRAYTEXT);
    for (int i = 0; i < kBarSegments; ++i) {
      const COLORREF colour = load_ != -1 && BarSegmentLit(load_, i) ? kMeterGreen : dark;
      const int top = segments.top + i * pitch;
      const RECT leftBar = {segments.left, top, middle - 1, top + barHeight};
      const RECT rightBar = {middle + 1, top, segments.right, top + barHeight};
      ui::FillSolid(dc, leftBar, colour);
      ui::FillSolid(dc, rightBar, colour);
    }
    RECT text = {box.left, box.bottom - labelHeight - du.Y(2), box.right, box.bottom - du.Y(2)};
    ui::DrawTextIn(dc, label.text, text, ui::Font::Meter, label.colour,
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

  void PaintHistory(HDC dc, const RECT& box) const {
    ui::FillSolid(dc, box, ui::kMeterBackground);
    const int width = box.right - box.left - 1;
    const int height = box.bottom - box.top - 1;
    if (width <= 0 || height <= 0) return;
    const auto X = [&](int x) { return box.left + MulDiv(x, width, 100); };
    const auto Y = [&](int y) { return box.top + MulDiv(y, height, 100); };
    HPEN grid = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ old = SelectObject(dc, grid);
    for (int v = 10; v <= 100; v += 10) {
      MoveToEx(dc, X(0), Y(v), nullptr);
      LineTo(dc, X(100), Y(v));
      MoveToEx(dc, X(v), Y(0), nullptr);
      LineTo(dc, X(v), Y(100));
    }
    HPEN line = CreatePen(PS_SOLID, 2, kMeterGreen);
    SelectObject(dc, line);
    const auto& samples = history_.Samples();
    for (int k = 0; k + 1 < CpuHistory::kSamples; ++k) {
      MoveToEx(dc, X(k), Y(100 - samples[static_cast<std::size_t>(k)]), nullptr);
      LineTo(dc, X(k + 1), Y(100 - samples[static_cast<std::size_t>(k + 1)]));
    }
    SelectObject(dc, old);
    DeleteObject(grid);
    DeleteObject(line);
  }

  void PaintPanel(HDC dc, const RECT& card, const MemoryPanel& panel) const {
    const RECT body = CardBody(dc, card, panel.title.c_str() + (panel.title.starts_with(L" ") ? 1 : 0));
    const int rowHeight = (body.bottom - body.top) / 3;
    for (int r = 0; r < 3; ++r) {
      const auto& row = panel.rows[static_cast<std::size_t>(r)];
      RECT line = {body.left, body.top + r * rowHeight, body.right, body.top + (r + 1) * rowHeight};
      ui::DrawTextIn(dc, row.caption, line, ui::Font::Body, ui::kTextMuted);
      ui::DrawTextIn(dc, row.value, line, ui::Font::Body, ui::kText, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
  }

  void Paint() {
    ui::PaintBuffered(hwnd(), [this](HDC dc, const RECT& client) {
      ui::FillSolid(dc, client, ui::kPageBackground);
      const Layout layout = ComputeLayout(client);
      PaintMeter(dc, CardBody(dc, layout.cpuCard, L"CPU Usage"));
      PaintHistory(dc, CardBody(dc, layout.historyCard, L"CPU Usage History"));
      for (std::size_t i = 0; i < panels_.size(); ++i) PaintPanel(dc, layout.memoryCards[i], panels_[i]);
    });
  }

  std::unique_ptr<CpuMeter> meter_;
  std::int32_t load_ = 0;
  CpuHistory history_;
  std::array<MemoryPanel, 4> panels_ = MemoryPanels(PerformanceCounts{});
};

}  // namespace

HWND CreatePerformancePanel(HWND parent, const ToolsPanelHost&) {
  return (new PerformancePanel)->Make(parent);
}

}  // namespace kestro::systools
