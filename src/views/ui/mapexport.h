// A map's picture: the plan's header block and the map's conditions as its caption, the values of
// one quantity in the map legend's colours over hill shading of the ground, latitude and longitude
// along the edges and the legend beside it. Needs a QGuiApplication (offscreen will do).
#pragma once

#include <QImage>

#include <string>

#include "base/safefile.h"
#include "reports/mappicture.h"

// The picture of quantity `band` of the map.
QImage MapImage(const MapPicture& picture, size_t band);
// Where in that picture the cells are drawn.
QRect MapImageCells(const MapPicture& picture, size_t band);
// The same as PNG through a SafeWriter: an old file is replaced only by a whole new one. False with
// the errno value in *error (EIO: it could not be encoded).
bool WriteMapPng(const MapPicture& picture, size_t band, const std::string& path, int* error,
                 SafeWriteOptions options = {});
