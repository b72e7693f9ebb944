#pragma once
// The window pictures, loaded from KESTROGui.dll in the program folder by
// resource number. The library is opened as a resource file only (none of its
// code runs), each bitmap is copied out and the library is closed again. The
// bitmaps live as long as the program.

#include <windows.h>

#include <filesystem>

#include "app/startup_routine.hpp"
#include "outside/KESTROGui/picture_ids.h"

namespace kestro::app {

struct Pictures {
  HBITMAP mainBackground = nullptr;   // 1
  HBITMAP splashBackground = nullptr; // 2
  HBITMAP headerButtons = nullptr;    // 4
  HBITMAP navigation = nullptr;       // 5
  HBITMAP productLogo = nullptr;      // 6, on request
  HBITMAP protectedPicture = nullptr; // 100 ("Bagus")
  HBITMAP notProtected = nullptr;     // 101 ("Jelek")
  HBITMAP optionOn = nullptr;         // imgA_Nor
  HBITMAP optionOff = nullptr;        // imgB_Nor
  HBITMAP optionOnHover = nullptr;    // imgA_Hov
  HBITMAP optionOffHover = nullptr;
};

// LoadPictureDLL: the bitmap `id` of KESTROGui.dll, or null when the resource is
// missing. `libraryMissing` is set when the library cannot be opened at all.
HBITMAP LoadPictureDLL(const std::filesystem::path& programFolder, int id, bool& libraryMissing);

// Every picture the windows use at start (not the product logo).
PictureLoad LoadStartupPictures(const std::filesystem::path& programFolder, Pictures& pictures);

// The process's pictures, filled by the start-up routine.
Pictures& ProgramPictures();

}  // namespace kestro::app
