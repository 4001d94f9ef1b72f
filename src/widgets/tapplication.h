// The program's window framework over the toolkit.  A tapplication owns one
// top-level window and the gadgets made through it, and offers:
//  - gadget makers with the framework's placement rules (-1 as a coordinate or
//    size centres or fills, sizes are clipped to the window while autoLimit is
//    1, new gadgets go onto the current tab page once tab pages exist);
//  - a registry of gadgets under tags, so texts can be changed by name later
//    (the language switch relabels every gadget whose tag is a message number);
//  - whole-window operations (enable, disable, colour, pause, resume, free);
//  - a life cycle (status, Running, Close, Control) with an optional close
//    question, driven partly by the event hook _hook_app;
//  - modal dialogs (About, UserRequest, Requester), the OK/Cancel/Info band and
//    strips of like gadgets (dialogs.cpp, tstrip.cpp).
//
// Framework objects (tapplication, TSpinner, TMultiButton and its rows) are
// owned by this module: a pointer handed out stays valid until ResetWidgets(),
// which tests and an in-process restart call before tk::Shutdown().
//
// Single GUI thread.  Makers answer null when nothing was created; every other
// operation answers 0 unless stated.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace corvane {

class TSpinner;
struct tstrip;

// One named registry entry.
struct tgad {
  tk::Gadget* g = nullptr;
  tk::Gadget* target = nullptr;  // kept for its shape; always null
  std::string tag;               // never empty in the registry
};

// A colour record declared with the framework; nothing reads it.
struct tstyle {
  std::array<int, 3> color{255, 255, 255};
};

class tapplication {
 public:
  tapplication() = default;
  tapplication(const tapplication&) = delete;
  tapplication& operator=(const tapplication&) = delete;
  ~tapplication();

  // Makes the application object: status 1, window created through SetWindow
  // (x or y of -1 centres that axis on the desktop), _appname := title, the
  // hook _hook_app installed at priority 0, the toolkit's box caption := title.
  // Never null; the window is null when the toolkit has no backend.
  static tapplication* Create(const std::string& title, int x, int y, int w, int h, int style);

  // ---- life cycle and window ----
  // Creates the top-level window (style 512 centres it on the desktop) and
  // records x, y, w, h and style.  Returns the window or null.
  tk::Gadget* SetWindow(const std::string& title, int x, int y, int w, int h, int style);
  int SetInfo(const std::string& name, const std::string& author);
  int SetMessage(const std::string& text);  // status-bar text
  int CheckClose(int flag);                 // confirmClose := flag
  int SetCloseMessage(const std::string& text);
  int EnableAutoLimit();
  int DisableAutoLimit();
  int Running() const;  // 1 while status is 1
  int Close();          // status := 3, then Control
  // Resolves a close request: with status 3 and confirmClose 1 asks
  // closeMessage as a yes/no question (yes -> -1, no -> 1); with confirmClose
  // 0 status stays 3.  Call once after every event taken from the queue.
  int Control();
  // status := 2; disables the window and every registered gadget.  Pauses
  // nest: each Pause is matched by one Resume.
  int Pause();
  // Matches the last Pause.  The last of nested Resumes (or one without a
  // Pause) sets status := 1, enables the window and the registered gadgets
  // that the first Pause disabled (gadgets that were already disabled stay
  // so; without a Pause before, every registered gadget), then brings the
  // window to the front.  An inner Resume changes nothing.
  int Resume();
  // Removes the hook and frees every gadget of the application once.
  int ClearAll();

  // ---- registry ----
  // Registers g (null is ignored); a non-empty tag also names it.
  int AddGadget(tk::Gadget* g, const std::string& tag);
  int RemoveGadget(tk::Gadget* g);
  // Empty tag: null.  Mode 0: the first gadget registered under the tag
  // (case-sensitive); any other mode: the last one.  Null when none.
  tk::Gadget* FindGadget(const std::string& tag, int mode) const;
  // Sets the text of the first gadget under tag; an empty text changes nothing.
  int ChangeText(const std::string& tag, const std::string& text);
  // Same for a menu item; the menu bar is not refreshed here.
  int ChangeMenuText(const std::string& tag, const std::string& text);
  // One console line per named registration: "Tag: " + tag + " Name: " + name.
  int ShowTags() const;
  // The container new gadgets go into: the current tab page, else the window.
  tk::Gadget* CheckTarget() const;
  int EnableAll();
  int DisableAll();
  int SetBackRGB(int r, int g, int b);
  int SetTextRGB(int r, int g, int b);

  // ---- placement ----
  // Clips a requested geometry to the container (does nothing while autoLimit
  // is 0 or without a window): -1 sizes fill, a height past the bottom leaves
  // the band (50 with the OK/Cancel band, -8 each for a menu and a status bar),
  // a width past the right edge leaves 12 pixels.
  int Limits(int& x, int& y, int& w, int& h) const;
  // Replaces -1 values inside container c: h, then w (10-pixel margins from the
  // current x and y), then x and y (centred).
  int AutoCenter(tk::Gadget* c, int& x, int& y, int& w, int& h) const;
  // Places a w x h dialog over the main window (mainApp) inside the desktop;
  // also records the main window's current position in a.x, a.y.
  int CheckWindowLimit(tapplication* a, int& x, int& y, int w, int h);

  // ---- gadget makers ----
  tk::Gadget* AddPanel(int x, int y, int w, int h, int style, const std::string& tag);
  tk::Gadget* AddButton(const std::string& text, int x, int y, int w, int h, int style,
                        const std::string& tag);
  tk::Gadget* AddLabel(const std::string& text, int x, int y, int w, int h, int style,
                       const std::string& tag);
  tk::Gadget* AddTextField(const std::string& text, int x, int y, int w, int h,
                           const std::string& tag);
  tk::Gadget* AddTextArea(int x, int y, int w, int h, int style, const std::string& tag);
  tk::Gadget* AddListBox(int x, int y, int w, int h, const std::string& tag);
  tk::Gadget* AddTreeView(int x, int y, int w, int h, const std::string& tag);
  tk::Gadget* AddComboBox(int x, int y, int w, int h, int style, const std::string& tag);
  tk::Gadget* AddCanvas(int x, int y, int w, int h, int centre, const std::string& tag);
  // A caption label and a text field; only the field is registered and returned.
  // label_width -1: 5 pixels per character of text, also used as the field width.
  tk::Gadget* AddComboText(const std::string& text, int x, int y, int w, int h, int label_width,
                           const std::string& tag);
  // A text area filling percent/75 of the container's width, with a small
  // panel at its right edge.
  int Splitter(int percent);
  // Spinner makers (tspinner.cpp): plain, with a caption at the left half, and
  // with a caption above.  The spinner's gadget is registered under tag.
  TSpinner* AddSpinner(int x, int y, int w, int h, int style, const std::string& tag);
  TSpinner* AddLabelSpinner(const std::string& text, int x, int y, int w, int h, int style,
                            const std::string& tag);
  TSpinner* AddBoxedSpinner(const std::string& text, int x, int y, int w, int h, int style,
                            const std::string& tag);

  // ---- tab pages ----
  // Adds a page (the tabber is made on the first call, with the icon strip
  // loaded from icon_source when that is not empty) and shows it.  Returns the
  // page panel, or null without a window.
  tk::Gadget* AddTabber(const std::string& text, const std::string& tip, int icon,
                        const std::string& icon_source, const std::string& tag);
  // Page i receives new gadgets; the visible page stays.  Out-of-range: nothing.
  int UseTabber(int index);
  // Shows page i, makes it current and selects its tab.  Out-of-range: nothing.
  int ShowTabber(int index);

  // ---- menus ----
  // An empty name becomes "MENU_" + menuCounter; menuCounter grows on every call.
  tk::Gadget* AddMenu(const std::string& text, int tag, const std::string& name, int hotkey = 0,
                      int modifier = 0);
  tk::Gadget* AddMenuItem(tk::Gadget* parent, const std::string& text, int tag,
                          const std::string& name, int hotkey = 0, int modifier = 0);
  int FreeMenuItem(tk::Gadget* menu);

  // ---- band, strips and dialogs (dialogs.cpp, tstrip.cpp) ----
  // The " Cancel", "   Ok  " and (with an _appname) " Info " buttons at the
  // bottom of the current container.  Nothing without a window.
  int SetRequester();
  // Lays out one gadget per text of the strip (direction 0 left to right, 1 top
  // to bottom); w or h of -1 share the container's room.  Empty for a null
  // strip or one without texts.
  std::vector<tk::Gadget*> AddStrip(const std::shared_ptr<tstrip>& strip, int x, int y,
                                    int direction, int w, int h);
  // Modal information box over the main window: optional picture, lines,
  // link.  Returns when OK is pressed or the box is closed.
  int About(const std::string& title, const std::vector<std::string>& lines,
            const std::string& link, tk::PicturePtr picture);
  // Modal report of the non-empty lines in a read-only text area.
  int UserRequest(const std::string& title, const std::vector<std::string>& lines, int width);
  // One-line text requester: the text in the field when " OK " is pressed;
  // empty on "Cancel" or when the box is closed.
  std::string Requester(const std::string& prompt);

  // The framework's event hook (installed by Create, context: the application).
  static tk::EventPtr _hook_app(int hook_id, tk::EventPtr data, void* context);

  // ---- fields ----
  tk::EventPtr _event;  // unused
  tk::IconStripPtr iconstrip;
  int _requester = 0;
  tk::Gadget* canvases = nullptr;  // unused
  std::string _appname;
  std::string _appauthor;
  int status = 0;  // 0 new, 1 running, 2 paused, 3 close requested, -1 quit confirmed
  std::vector<tk::Gadget*> gadget_list;
  std::vector<tgad> gadget_list_search;
  std::map<std::string, tk::Gadget*> gadget_map;
  tk::Gadget* window = nullptr;
  tk::Gadget* _ok_gadget = nullptr;      // the " Cancel" band button
  tk::Gadget* _cancel_gadget = nullptr;  // the "   Ok  " band button
  tk::Gadget* _about_gadget = nullptr;
  int x = 0, y = 0, w = 0, h = 0;
  int _tabber = 0;
  tk::Gadget* current_tabber = nullptr;
  int _show_tabber = 0;
  std::vector<tk::Gadget*> _tab;
  tk::Gadget* tabber = nullptr;
  int style = 0;

 private:
  tk::Gadget* MakeMenu(tk::Gadget* parent, const std::string& text, int tag,
                       const std::string& name, int hotkey, int modifier);
  int hook_handle_ = 0;
  int pauses_ = 0;  // Pause calls not yet matched by a Resume
  std::vector<tk::Gadget*> paused_gadgets_;  // what Pause disabled
};

// ---- module state ----
extern int autoLimit;             // 1: Limits clips sizes
extern int confirmClose;          // 1: a close request asks closeMessage
extern std::string closeMessage;  // "Close?"
extern int menuCounter;           // automatic menu names
extern tapplication* mainApp;     // the program's application object

// Destroys every framework object and restores the module state to its start
// values (mainApp null, autoLimit 1, ...).  Call before tk::Shutdown().
void ResetWidgets();

}  // namespace corvane
