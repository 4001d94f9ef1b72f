// The FLTK widgets that stand for gadgets whose look or behaviour FLTK does
// not offer as it is: windows with a menu bar and a status bar, panels that
// report the mouse and show pictures, tab rows, steppers, three-state check
// boxes, hyperlinks, separator lines, text fields with a key filter and text
// areas that own their buffer.
#pragma once

#include "toolkit/toolkit.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Repeat_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace corvane::tk::fltk {

class WidgetHost;

// A picture made ready for drawing, scaled copies cached by size.
class PictureCache {
 public:
  // Null when there is no picture.
  Fl_Image* Get(const PicturePtr& picture, int w, int h);
  void Reset();

 private:
  PicturePtr source_;
  std::unique_ptr<Fl_RGB_Image> original_;
  std::unique_ptr<Fl_Image> scaled_;
};

// An Fl_Menu_Item array with the labels it points to.
struct MenuStorage {
  std::vector<Fl_Menu_Item> items;
  std::deque<std::string> labels;
  const char* Keep(const std::string& text) {
    labels.push_back(text);
    return labels.back().c_str();
  }
};

// A label's text as FLTK must be given it: line ends as LF, and '@' doubled
// since FLTK reads '@' in labels as the start of a symbol.
std::string LabelText(const std::string& text);

class CorvaneWindow : public Fl_Double_Window {
 public:
  CorvaneWindow(WidgetHost& host, Gadget& gadget);
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;
  void LayoutBars();
  Fl_Menu_Bar* menubar() { return menubar_; }
  Fl_Box* status() { return status_; }
  MenuStorage& menu_storage() { return menu_storage_; }
  bool menu_dirty = false;

 private:
  static void OnClose(Fl_Widget* w, void* data);
  WidgetHost& host_;
  Gadget& gadget_;
  Fl_Menu_Bar* menubar_ = nullptr;
  Fl_Box* status_ = nullptr;
  MenuStorage menu_storage_;
};

class PanelGroup : public Fl_Group {
 public:
  PanelGroup(WidgetHost& host, Gadget& gadget);
  int handle(int event) override;
  void draw() override;
  PictureCache& pictures() { return pictures_; }

 private:
  WidgetHost& host_;
  Gadget& gadget_;
  PictureCache pictures_;
};

class TabberGroup : public Fl_Group {
 public:
  TabberGroup(WidgetHost& host, Gadget& gadget);
  int handle(int event) override;
  void draw() override;
  void IconsChanged() { icons_.clear(); }

 private:
  // Tab index at a point of the tab row, or -1.
  int TabAt(int x, int y);
  std::vector<std::pair<int, int>> TabSpans();  // x and width of every tab
  WidgetHost& host_;
  Gadget& gadget_;
  std::vector<std::unique_ptr<Fl_RGB_Image>> icons_;
  std::vector<PicturePtr> icon_pictures_;
};

class StepperGroup : public Fl_Group {
 public:
  StepperGroup(WidgetHost& host, Gadget& gadget, bool horizontal);
  void resize(int x, int y, int w, int h) override;

 private:
  static void OnStep(Fl_Widget* w, void* data);
  WidgetHost& host_;
  Gadget& gadget_;
  bool horizontal_;
  Fl_Repeat_Button* more_;
  Fl_Repeat_Button* less_;
};

class TriStateCheck : public Fl_Check_Button {
 public:
  TriStateCheck(int x, int y, int w, int h) : Fl_Check_Button(x, y, w, h) {}
  void draw() override;
  bool third_state = false;
};

class LinkBox : public Fl_Box {
 public:
  LinkBox(WidgetHost& host, Gadget& gadget);
  int handle(int event) override;
  void draw() override;

 private:
  WidgetHost& host_;
  Gadget& gadget_;
};

class SeparatorBox : public Fl_Box {
 public:
  SeparatorBox(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {}
  void draw() override;
};

class FilterInput : public Fl_Input {
 public:
  FilterInput(WidgetHost& host, Gadget& gadget);
  int handle(int event) override;

 private:
  WidgetHost& host_;
  Gadget& gadget_;
};

// Owns a text area's buffer.  Listed first among TextArea's bases so that it
// is destroyed after the display, which still talks to its buffer while it
// goes.
struct TextBufferOwner {
  TextBufferOwner() : text_(new Fl_Text_Buffer) {}
  ~TextBufferOwner() { delete text_; }
  TextBufferOwner(const TextBufferOwner&) = delete;
  TextBufferOwner& operator=(const TextBufferOwner&) = delete;
  Fl_Text_Buffer* text_;
};

class TextArea : private TextBufferOwner, public Fl_Text_Editor {
 public:
  TextArea(WidgetHost& host, Gadget& gadget);
  ~TextArea() override;
  int handle(int event) override;
  // Shows text, its CR LF and lone CR line ends as line breaks: appended
  // when it only grew, replaced otherwise.
  void Sync(const std::string& text);
  // Selects characters of the text last given to Sync.
  void Select(int start_chars, int length_chars);

 private:
  static void OnModify(int pos, int inserted, int deleted, int restyled, const char* deleted_text,
                       void* data);
  // The gadget's text after the user's edit of the buffer at pos.
  std::string StoredAfterEdit(int pos, int inserted, int deleted);
  WidgetHost& host_;
  Gadget& gadget_;
  std::string stored_;  // the gadget's text that the buffer shows
  bool syncing_ = false;
  bool read_only_;
};

// What the widgets need from the backend.
class WidgetHost {
 public:
  virtual ~WidgetHost() = default;
  // Emits an event unless the gadget was freed meanwhile.
  virtual void Emit(int id, Gadget& source, std::int64_t data) = 0;
  // The gadget whose widget is w or contains it most closely, or null.
  virtual Gadget* GadgetAt(Fl_Widget* w) = 0;
  virtual void MenusChanged(Gadget& window) = 0;
};

}  // namespace corvane::tk::fltk
