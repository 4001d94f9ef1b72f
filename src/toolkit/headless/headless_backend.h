// A toolkit backend without a display, for tests and batch runs.
//
// Every piece of gadget state lives in the toolkit core and is read through
// tk::Gadget; this backend adds what a display would otherwise provide:
//  - a virtual clock: Sleep() and Delay() advance it; WaitEvent with nothing
//    queued first runs the idle callback, then advances the clock to the next
//    timer tick; with no timers and nothing queued WaitEvent answers null;
//  - boxes answered from a script: AnswerNext() feeds OK/Yes (true) or
//    Cancel/No (false) to the next Confirm or Proceed, AnswerFolder() the next
//    folder requester; with the script empty the defaults hold (Confirm true,
//    Proceed true, folder "").  Every box shown is recorded (Boxes());
//  - user actions that emit exactly what a user's action emits through the
//    FLTK backend.  Each answers false, emitting nothing, when a user could
//    not do it (the gadget is freed, hidden, disabled or of the wrong kind);
//  - pump statistics: how often the program let the toolkit process its
//    messages, and the longest gap between two such moments.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace corvane::tk {

enum class BoxKind { Notify, Confirm, Proceed, Folder };

struct ShownBox {
  BoxKind kind = BoxKind::Notify;
  std::string caption;  // the application title
  std::string text;     // the message, or the folder requester's prompt
  bool serious = false;
  std::string start;    // folder requester: the start folder
  std::string answer;   // "1" / "0" for questions, the folder chosen, "" for notices
};

class HeadlessBackend : public Backend {
 public:
  explicit HeadlessBackend(int desktop_width = 1024, int desktop_height = 768);

  // ---- script and record of boxes ----
  void AnswerNext(bool ok);
  void AnswerFolder(const std::string& folder);
  void SetDefaultAnswer(bool ok) { default_answer_ = ok; }
  void SetDefaultFolder(const std::string& folder) { default_folder_ = folder; }
  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  std::size_t PendingAnswers() const { return answers_.size() + folders_.size(); }
  void ClearBoxes() { boxes_.clear(); }
  // Addresses handed to the system's opener, and what the opener answers.
  const std::vector<std::string>& Opened() const { return opened_; }
  void SetOpenResult(bool ok) { open_result_ = ok; }

  // ---- callbacks ----
  // Runs when WaitEvent finds nothing queued, before the clock moves on: the
  // place for a test to act as the user while the program waits.
  void SetIdleCallback(std::function<void()> fn) { idle_ = std::move(fn); }
  // Runs at every pump (PollEvent, ProcessMessages, WaitEvent): the place to
  // act as the user while the program is busy in a long operation.
  void SetPumpCallback(std::function<void()> fn) { pump_ = std::move(fn); }

  // ---- virtual clock ----
  void AdvanceClock(std::int64_t ms) { now_ms_ += ms; }

  // ---- user actions ----
  // Push buttons: GadgetAction (data 0).  Check boxes: unticked or third
  // state -> ticked, ticked -> unticked, GadgetAction with the new state.
  // Radio buttons: ticked (others of the container unticked), GadgetAction 1.
  // Hyperlinks: their address goes to the opener; nothing is emitted.
  bool Click(Gadget* button);
  // Tabbers: the tab becomes selected, GadgetAction with its index.
  bool SelectTab(Gadget* tabber, int index);
  // List boxes, combo boxes, tree views: the item becomes selected,
  // GadgetAction with its index.
  bool ChooseItem(Gadget* list, int index);
  // Text fields and editable text areas: each character is offered to the
  // key filter as KeyChar (code 8 = backspace removes the last character);
  // every accepted one changes the text and emits GadgetAction.  Answers
  // false when any character was refused.
  bool TypeText(Gadget* field, const std::string& text);
  // A wheel turned over a gadget: MouseWheel (data = steps, positive away
  // from the user) from the outermost mouse-reporting panel around it.
  bool Wheel(Gadget* over, int steps);
  // The pointer leaves a mouse-reporting panel: MouseLeave from it.
  bool Leave(Gadget* panel);
  // A key (kKeySpace, kKeyArrowUp, kKeyArrowDown) pressed: KeyDown from the
  // focused gadget when it is a key-taking panel.
  bool PressKey(int key);
  // A menu item of the window (at any depth) chosen by its tag: MenuAction
  // with the tag, the item as source.  False when no enabled item has it.
  bool ChooseMenu(Gadget* window, int tag);
  // The close box of a window: WindowClose.
  bool CloseWindow(Gadget* window);
  // Sliders: the position is set (clamped) and GadgetAction carries it;
  // nothing is emitted when the position stays.
  bool SetSliderPosition(Gadget* slider, int position);
  // Steppers and scroll bars: an arrow pressed `steps` times up (positive) or down.
  bool StepSlider(Gadget* slider, int steps);

  // ---- pump statistics ----
  std::int64_t PumpCount() const { return pumps_; }
  std::int64_t LongestPumpGapVirtualMs() const { return longest_virtual_gap_; }
  std::int64_t LongestPumpGapRealMs() const { return longest_real_gap_; }
  void ResetPumpStats();

  // ---- Backend ----
  const char* Name() const override { return "headless"; }
  void Changed(Gadget& gadget, Change what) override;
  void Pump(int wait_ms) override;
  std::int64_t NowMs() override { return now_ms_; }
  void Sleep(int ms) override;
  int DesktopWidth() override { return desktop_w_; }
  int DesktopHeight() override { return desktop_h_; }
  void Notify(const std::string& caption, const std::string& text, bool serious) override;
  bool Confirm(const std::string& caption, const std::string& text, bool serious) override;
  bool Proceed(const std::string& caption, const std::string& text, bool serious) override;
  std::string RequestFolder(const std::string& caption, const std::string& prompt,
                            const std::string& start) override;
  bool OpenUrl(const std::string& address) override;
  Gadget* FocusedGadget() override { return focused_; }
  bool HasInputSource() const override { return false; }

 private:
  bool Usable(Gadget* g) const;
  bool NextAnswer();

  int desktop_w_, desktop_h_;
  std::int64_t now_ms_ = 0;
  Gadget* focused_ = nullptr;
  std::deque<bool> answers_;
  std::deque<std::string> folders_;
  bool default_answer_ = true;
  std::string default_folder_;
  std::vector<ShownBox> boxes_;
  std::vector<std::string> opened_;
  bool open_result_ = true;
  std::function<void()> idle_, pump_;
  bool in_pump_callback_ = false;
  std::int64_t pumps_ = 0;
  std::int64_t last_pump_virtual_ = -1;
  std::chrono::steady_clock::time_point last_pump_real_;
  std::int64_t longest_virtual_gap_ = 0, longest_real_gap_ = 0;
};

}  // namespace corvane::tk
