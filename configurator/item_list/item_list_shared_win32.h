// What the item list's parts of the main dialog share.
#pragma once

namespace vorlane::configurator {

inline constexpr char kProgramFilter[] =
    "Programs|*.exe; *.com|Text documents|*.txt; *.doc|Html documents|*.htm; "
    "*.html; *.js; *.css|Images|*.bmp; *.gif; *.jpg; *.jpeg; *.tga; *.tif; "
    "*.pcx|Sound files|*.wav; *.mp3; *.mod; *.xm; *.s3m; *.m3u|All Files "
    "(*.*)|*.*||";
inline constexpr char kItemCountDamaged[] =
    "The item count of this menu in the settings file holds a number that "
    "cannot be right, so nothing was added. Correct it in vorlane.ini.";
inline constexpr char kBatchTooLong[] =
    "The batch list would be too long for one menu item: Vorlane starts a "
    "location of at most 254 characters. Add the rest as another item.";

}  // namespace vorlane::configurator
