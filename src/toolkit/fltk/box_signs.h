// The sign FLTK's message box shows at its left, chosen per box: an "i" for
// notices, a "?" for questions and a warning sign (a black "!" on amber) for
// every serious box, so that a serious question does not look like any other.
#pragma once

namespace corvane::tk::fltk {

enum class BoxSign { Information, Question, Warning };

// Sets the sign of the next message box (fl_message, fl_alert, fl_choice).
void SetBoxSign(BoxSign sign);

}  // namespace corvane::tk::fltk
