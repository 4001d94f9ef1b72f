// How texts with CR LF (Windows) or lone CR line ends are shown.  FLTK breaks
// lines only at LF and draws a CR as "^M" in labels and as a box in text
// areas, so the widgets are given a shown form in which every CR LF and every
// lone CR is one LF.  The gadget keeps its text as it was set; these
// functions translate between the two forms.
#pragma once

#include <cstddef>
#include <string>

namespace corvane::tk::fltk {

// text with every CR LF and every lone CR made one LF.
std::string ShownText(const std::string& text);

// The shown form of added when it follows before: ShownText(before + added)
// is ShownText(before) + ShownAppend(before, added).
std::string ShownAppend(const std::string& before, const std::string& added);

// The byte offset in ShownText(text) of text's byte at stored_offset.  An
// offset between a CR and its LF is that line break's; offsets at or past the
// end give the shown length.
std::size_t ShownOffset(const std::string& text, std::size_t stored_offset);

// The byte offset in text where the shown byte at shown_offset starts (a CR
// LF's CR for its LF); offsets at or past the shown end give text.size().
std::size_t StoredOffset(const std::string& text, std::size_t shown_offset);

}  // namespace corvane::tk::fltk
