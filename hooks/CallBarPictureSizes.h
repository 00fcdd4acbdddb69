// The sizes, in points, of the pictures the add-on asks for on CallBar's behalf.
#pragma once

// The party's picture in the call overlay; a narrower picture is resized up to it.
inline constexpr double kOverlayPictureSide = 60.0;
// A favourites button's picture, as CallBar's monogrammer hands it out.
inline constexpr double kFavoritePictureSide = 60.0;
