// The corvane executable: the application entry with the FLTK backend.
#include "app/entry.h"
#include "toolkit/fltk/fltk_backend.h"

int main(int argc, char** argv) {
  return corvane::app::Main(argc, argv, &corvane::tk::MakeFltkBackend);
}
