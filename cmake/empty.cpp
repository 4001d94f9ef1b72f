// A library with no sources yet still needs one translation unit.
