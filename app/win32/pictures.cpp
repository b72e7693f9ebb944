#include "app/win32/pictures.hpp"

namespace kestro::app {

HBITMAP LoadPictureDLL(const std::filesystem::path& programFolder, int id, bool& libraryMissing) {
  const auto path = programFolder / L"KESTROGui.dll";
  HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (library == nullptr) {
    libraryMissing = true;
    return nullptr;
  }
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageW(library, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  FreeLibrary(library);
  return bitmap;
}

PictureLoad LoadStartupPictures(const std::filesystem::path& programFolder, Pictures& pictures) {
  bool libraryMissing = false;
  bool allLoaded = true;
  const auto load = [&](HBITMAP& slot, int id) {
    if (libraryMissing) return;
    slot = LoadPictureDLL(programFolder, id, libraryMissing);
    if (slot == nullptr) allLoaded = false;
  };
  load(pictures.splashBackground, KESTRO_PICTURE_SPLASH_BACKGROUND);
  load(pictures.mainBackground, KESTRO_PICTURE_MAIN_BACKGROUND);
  load(pictures.navigation, KESTRO_PICTURE_NAVIGATION);
  load(pictures.headerButtons, KESTRO_PICTURE_HEADER_BUTTONS);
  load(pictures.notProtected, KESTRO_PICTURE_NOT_PROTECTED);
  load(pictures.protectedPicture, KESTRO_PICTURE_PROTECTED);
  load(pictures.optionOn, KESTRO_PICTURE_OPTION_ON);
  load(pictures.optionOff, KESTRO_PICTURE_OPTION_OFF);
  load(pictures.optionOnHover, KESTRO_PICTURE_OPTION_ON_HOVER);
  load(pictures.optionOffHover, KESTRO_PICTURE_OPTION_OFF_HOVER);
  if (libraryMissing) return PictureLoad::LibraryMissing;
  return allLoaded ? PictureLoad::Loaded : PictureLoad::SomeMissing;
}

Pictures& ProgramPictures() {
  static Pictures pictures;
  return pictures;
}

}  // namespace kestro::app
