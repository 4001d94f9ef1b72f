// TSpinner: a text field and a stepper kept in step with a clamped value, and
// the framework's spinner makers.
#include "widgets/tspinner.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/text.h"
#include "widgets/object_pool.h"
#include "widgets/tapplication.h"

namespace corvane {

namespace {

constexpr int kTenths = 1;

int ClampToInt(long long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

// Fixed-point text of the integer n scaled by 10^decimals.
std::string FormatScaled(long long n, int decimals) {
  const bool negative = n < 0;
  // Magnitude in unsigned arithmetic so that the most negative value works.
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(n)
                                          : static_cast<unsigned long long>(n);
  unsigned long long scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / scale);
  if (decimals > 0) {
    std::string fraction = std::to_string(magnitude % scale);
    text += "." + std::string(decimals - fraction.size(), '0') + fraction;
  }
  return text;
}

// The number written at the start of text, scaled by 10^decimals and
// truncated toward zero, worked out on the digits so that "0.7" with one
// decimal is 7 and "2.55" is 25.  Leading blanks are skipped and a sign is
// optional; text that is not a number reads as 0; overlong numbers saturate
// (the caller clamps them into the range) instead of wrapping.
long long ParseScaled(const std::string& text, int decimals) {
  constexpr long long kLimit = LLONG_MAX / 100;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  auto digit = [&](std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
  long long n = 0;
  for (; digit(i); ++i) n = std::min(kLimit, n * 10 + (text[i] - '0'));
  if (i < text.size() && text[i] == '.') ++i;
  for (int d = 0; d < decimals; ++d) {
    n = std::min(kLimit, n * 10 + (digit(i) ? text[i] - '0' : 0));
    if (digit(i)) ++i;
  }
  return negative ? -n : n;
}

std::vector<TSpinner*>& LiveSpinners() {
  static std::vector<TSpinner*> spinners;
  return spinners;
}

}  // namespace

TSpinner* TSpinner::Create(int x, int y, int w, int h, tk::Gadget* container, int style) {
  auto* s = widgets_internal::Keep(std::make_unique<TSpinner>());
  LiveSpinners().push_back(s);
  s->panel = tk::CreatePanel(x, y, w, h, container, tk::kPanelSunken, "");
  s->stepper = tk::CreateSlider(w - h + 4, 0, h - 8, h - 4, s->panel, tk::kSliderStepper);
  s->textField = tk::CreateTextField(-2, -2, w - h + 8, h, s->panel, 0);
  s->SetRange(s->low, s->high);
  if (s->textField) s->textField->SetFilter(&TSpinner::NumFilter, nullptr);
  s->gadget_ = tk::CreateProxyGadget(container);
  if (s->gadget_) {
    s->gadget_->SetProxy(s->textField);
    s->gadget_->SetStyle(style);
  }
  s->style = style;
  s->hook_handle_ = tk::AddHook(&TSpinner::SpinnerHook, s, 0);
  return s;
}

TSpinner::~TSpinner() {
  tk::RemoveHooksOf(this);
  auto& live = LiveSpinners();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

TSpinner* TSpinner::FromGadget(const tk::Gadget* g) {
  if (!g) return nullptr;
  for (TSpinner* s : LiveSpinners())
    if (s->gadget_ == g) return s;
  return nullptr;
}

int TSpinner::SetRange(int low, int high) {
  this->low = low;
  this->high = high;
  range = ClampToInt(static_cast<long long>(high) - low + 1);
  if (stepper) stepper->SetRange(0, range);
  return 0;
}

int TSpinner::FixValue(int v) const { return std::min(std::max(v, low), high); }

std::string TSpinner::ValueText() const {
  return (style & kTenths) ? FormatScaled(value, 1) : std::to_string(value);
}

int TSpinner::SetValue_(int v, int show) {
  value = FixValue(v);
  const int position = ClampToInt(static_cast<long long>(value) - low);
  if (stepper && stepper->Position() != position) stepper->SetPosition(position);
  if (show != 0 && textField) textField->SetText(ValueText());
  return 0;
}

int TSpinner::Free() {
  if (hook_handle_) tk::RemoveHook(hook_handle_);
  hook_handle_ = 0;
  for (tk::Gadget** g : {&stepper, &panel, &textField, &gadget_}) {
    if (*g && !(*g)->freed()) (*g)->Free();
    *g = nullptr;
  }
  return 0;
}

bool TSpinner::NumFilter(const tk::Event& event, void* context) {
  if (event.id != tk::kKeyChar) return true;
  const auto code = event.data;
  if (code == 8) return true;
  if (code == '/') return false;
  return code >= '-' && code <= '9';
}

std::string TSpinner::PrettyFloat(double f, int decimals) {
  decimals = std::clamp(decimals, 0, 9);
  if (std::isnan(f)) f = 0;
  double scaled = f * std::pow(10.0, decimals);
  // A value meant as k / 10^decimals may come out a hair below k after the
  // division and this multiplication; nudge by a relative epsilon before
  // truncating so that 0.7 with one decimal stays 7 tenths.
  scaled += std::copysign(std::max(1.0, std::fabs(scaled)) * 1e-12, scaled);
  long long n;
  if (scaled >= 9.2e18) n = LLONG_MAX;
  else if (scaled <= -9.2e18) n = LLONG_MIN;
  else n = static_cast<long long>(std::trunc(scaled));
  return FormatScaled(n, decimals);
}

tk::EventPtr TSpinner::SpinnerHook(int hook_id, tk::EventPtr data, void* context) {
  auto* spinner = static_cast<TSpinner*>(context);
  if (!data || !spinner) return data;
  return spinner->HandleEvents(std::move(data));
}

tk::EventPtr TSpinner::HandleEvents(tk::EventPtr event) {
  if (!event || event->id != tk::kGadgetAction || !event->source) return event;
  if (event->source == stepper) {
    const long long v = event->data + static_cast<long long>(low);
    const int clamped = FixValue(ClampToInt(v));
    if (clamped == value) return event;
    SetValue_(ClampToInt(v), 1);
    tk::EmitEvent(tk::MakeEvent(tk::kGadgetAction, gadget_, event->data));
    if (textField) {
      textField->SetSelection(0, static_cast<int>(runtime::CharCount(textField->Text())));
      textField->Focus();
    }
    return nullptr;
  }
  if (event->source == gadget_ && textField) {
    const std::string& text = textField->Text();
    const long long v = ParseScaled(text, (style & kTenths) ? 1 : 0);
    if (FixValue(ClampToInt(v)) == value) return event;
    SetValue_(ClampToInt(v), 0);
    tk::EmitEvent(tk::MakeEvent(tk::kGadgetAction, gadget_, 0));
    return nullptr;
  }
  return event;
}

TSpinner* CreateSpinner(int x, int y, int w, int h, tk::Gadget* container, int style) {
  return TSpinner::Create(x, y, w, h, container, style);
}

int SetSpinnerRange(TSpinner* spinner, double low, double high) {
  if (!spinner) return 0;
  auto truncate = [](double v) {
    if (std::isnan(v)) return 0;
    return ClampToInt(static_cast<long long>(std::clamp(std::trunc(v), -9.2e18, 9.2e18)));
  };
  return spinner->SetRange(truncate(low), truncate(high));
}

int SetSpinnerValue(TSpinner* spinner, int v) { return spinner ? spinner->SetValue_(v, 1) : 0; }

int SpinnerValue(const TSpinner* spinner) { return spinner ? spinner->GetValue() : 0; }

// ---- the framework's spinner makers ----

TSpinner* tapplication::AddSpinner(int x, int y, int w, int h, int style, const std::string& tag) {
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  TSpinner* s = TSpinner::Create(x, y, w, h, t, style);
  AddGadget(s->AsGadget(), tag);
  return s;
}

TSpinner* tapplication::AddLabelSpinner(const std::string& text, int x, int y, int w, int h,
                                        int style, const std::string& tag) {
  tk::Gadget* t = CheckTarget();
  const int half = w / 2;
  Limits(x, y, w, h);
  tk::CreateLabel(text, x, y + 3, half, h, t, tk::kLabelLeft);
  TSpinner* s = TSpinner::Create(x + half + 1, y, w - half, h, t, style);
  AddGadget(s->AsGadget(), tag);
  return s;
}

TSpinner* tapplication::AddBoxedSpinner(const std::string& text, int x, int y, int w, int h,
                                        int style, const std::string& tag) {
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  tk::CreateLabel(text, x, y, w, h - 20, t, tk::kLabelLeft);
  TSpinner* s = TSpinner::Create(x, y + 20, w, h - 20, t, style);
  AddGadget(s->AsGadget(), tag);
  return s;
}

}  // namespace corvane
