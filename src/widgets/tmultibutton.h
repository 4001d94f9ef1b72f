// The scrolling list of checkable rows used by the Start and Install pages.
// Each row is a 40-pixel panel holding a check box with the main text, a
// second text line, an optional 32 x 32 icon at the right and a one-pixel
// separator at the bottom.  The list keeps its own scroll position, drives a
// 20-pixel vertical scroll bar beside the rows, scrolls with the mouse wheel
// over the list panel, highlights the last row the pointer left and answers
// questions about the ticked rows.  Its hook never consumes an event: the
// owner handles the rows' check-box clicks as GadgetAction events whose source
// is a row's `button` (RowOfButton finds the row).
//
// The list panel keeps the keyboard focus (never a row's tick box): Up and
// Down move the highlight (the first press lights the current row) and
// scroll it into view, Space ticks or unticks the lit row as a click on its
// tick box would, GadgetAction included.  A click on a tick box lights its row.
//
// The same class serves for the list and its rows; a row uses only the row
// fields.  Lists and rows are owned by the widgets module and stay valid until
// ResetWidgets(), even after ClearItems or Free.
//
// Per-row operations ignore indexes outside 0 .. CountItems()-1 and return 0.
#pragma once

#include <any>
#include <array>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace corvane {

class TMultiButton {
 public:
  static constexpr int kRowHeight = 40;
  static constexpr int kScrollBarWidth = 20;

  TMultiButton() = default;
  TMultiButton(const TMultiButton&) = delete;
  TMultiButton& operator=(const TMultiButton&) = delete;
  ~TMultiButton();

  // A list at (x, y), w x h inside container: rows w - 20 wide, the scroll bar
  // in the last 20 pixels, h / 40 rows visible.  The four texts are ignored.
  // Never null; the gadgets are null without a backend.
  static TMultiButton* Create(int x, int y, int w, int h, tk::Gadget* container,
                              const std::string& t1, const std::string& t2,
                              const std::string& t3, const std::string& t4, int style);

  // Appends a row (placed unscrolled) and returns it; null for an empty text.
  TMultiButton* AddItem(const std::string& text, const std::string& label,
                        const std::string& tip1, const std::string& tip2, int state,
                        std::any content = {});
  // AddItem(texts[i], labels[i], "", "", states[i]) when the three sizes agree.
  int AddFromArray(const std::vector<std::string>& texts, const std::vector<std::string>& labels,
                   const std::vector<int>& states);
  // Builds one row's gadgets inside owner's panel, at the slot of owner's
  // counter (AddItem counts first).  Null when owner or its panel is null.
  static TMultiButton* CreateItem(const std::string& text, const std::string& label,
                                  const std::string& tip1, const std::string& tip2,
                                  TMultiButton* owner, int state);

  int CountItems() const;
  int CountSelected() const;            // sum of the row states
  int GetItemStatus(int index) const;   // 1, 0 or -1
  int SetItemStatus(int index, int state);
  std::vector<int> ExtractStatus() const;  // {0} for an empty list
  int ChangeState(int state);              // every row
  int InvertState(int ignored = 0);        // every row: 1 - state
  int SetTip(int index, const std::string& tip1, const std::string& tip2);
  int DisableItem(int index);
  int EnableItem(int index);
  int Disable();
  int Enable();
  // Shows the strip's picture at icon_index in the row's icon panel.
  // Nothing for a null strip or an index outside the strip.
  int setItemIcon(int index, const tk::IconStripPtr& strip, int icon_index);

  // List-wide colours apply to the rows that exist now; later rows start with
  // the defaults.
  int SetButtonColor(int r, int g, int b);
  int SetLabelColor(int r, int g, int b);
  int SetBackColor(int r, int g, int b);
  int SetSelectColor(int r, int g, int b);
  int SetItemBackColor(int index, int r, int g, int b);
  int SetItemSelectColor(int index, int r, int g, int b);
  int SetItemButtonColor(int index, int r, int g, int b);
  int SetItemLabelColor(int index, int r, int g, int b);

  int Selected() const { return current_selected; }
  // Frees every row; a refill starts at the top (position and scroll bar 0).
  int ClearItems();
  // Removes the hook, the rows and the list's own gadgets.  Safe to call twice.
  int Free();

  // The row index whose check box is g, or -1.
  int RowOfButton(const tk::Gadget* g) const;

  static tk::EventPtr MultiButtonHook(int hook_id, tk::EventPtr data, void* context);
  // Wheel, scroll bar and pointer-leave handling; returns the event unchanged.
  tk::EventPtr HandleEvents(tk::EventPtr event);

  // ---- fields ----
  tk::Gadget* panel = nullptr;   // list: the list panel; row: the row panel
  tk::Gadget* button = nullptr;  // row: check box
  tk::Gadget* label = nullptr;   // row: second line
  tk::Gadget* slider = nullptr;  // list: scroll bar
  tk::Gadget* line = nullptr;    // row: separator
  tk::Gadget* icon = nullptr;    // row: icon panel
  tk::PicturePtr pix;            // row: its icon
  std::any content;              // row: the caller's object
  TMultiButton* parent = nullptr;  // list: itself
  int current_position = 0;
  int width = 0;
  int he = 0;
  int visible = 0;
  int current_selected = 0;
  std::array<int, 3> bcolor{188, 188, 188};
  std::array<int, 3> scolor{200, 200, 200};
  std::array<int, 3> tcolor{40, 40, 220};
  std::array<int, 3> lcolor{0, 0, 0};
  int counter = 0;
  std::vector<TMultiButton*> array;
  int style = 0;

 private:
  TMultiButton* Row(int index) const;
  void PlaceRows(int position);
  int ClampPosition(int position) const;
  void UpdateScrollRange();
  void FocusRowsThenList();
  static void PaintRow(TMultiButton* row, const std::array<int, 3>& colour);
  // Lights row index alone and makes it the current row.
  void Highlight(int index);
  void ScrollIntoView(int index);
  void HandleKey(int key);
  int hook_handle_ = 0;
  int lit_ = -1;  // the row painted in its select colour, or -1
};

// The program's maker: Create with the same arguments.
TMultiButton* CreateMultiButton(int x, int y, int w, int h, tk::Gadget* container,
                                const std::string& t1, const std::string& t2,
                                const std::string& t3, const std::string& t4, int style);

}  // namespace corvane
