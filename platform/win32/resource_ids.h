// SPDX-License-Identifier: MIT
#pragma once

// Resource numbers shared by the resource script and the code; the script's preprocessor reads
// this file too, so only #defines.
#define VELMORA_PICTURE_BACKGROUND 101
#define VELMORA_PICTURE_TITLE_BANNER 102
#define VELMORA_PICTURE_CLOSE 103
#define VELMORA_PICTURE_ABOUT_BANNER 104
#define VELMORA_PICTURE_ABOUT_CARD 105
// The same pictures at twice the size: the number plus VELMORA_PICTURE_2X.
#define VELMORA_PICTURE_2X 100
#define VELMORA_PICTURE_BACKGROUND_2X 201
#define VELMORA_PICTURE_TITLE_BANNER_2X 202
#define VELMORA_PICTURE_CLOSE_2X 203
#define VELMORA_PICTURE_ABOUT_BANNER_2X 204
#define VELMORA_PICTURE_ABOUT_CARD_2X 205
#define VELMORA_BUNDLED_FONT 301
