#pragma once

// The libheif HEVC decoder plugin to ask for by name: "ffmpeg" where it is installed (it
// decodes phone pictures faster than libde265), null for libheif's own choice.
// PIXVUE_HEVC_DECODER names another one. Call after heif_init().
const char* preferredHevcDecoder();
