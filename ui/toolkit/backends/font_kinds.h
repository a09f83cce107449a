// The kind of face a font names, which every display backend maps to a face of its
// own: the program names Windows faces ("Arial", "Lucida Console", "Courier New").
#pragma once

#include <string_view>

enum class FaceKind { Sans, Serif, Monospace };

FaceKind KindOfFace(std::string_view face);
