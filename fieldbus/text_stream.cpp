#include "fieldbus/text_stream.h"

TextStream::TextStream(std::string& text)
    : Stream{[](Stream* stream, uint8_t c) { static_cast<TextStream*>(stream)->target->push_back(static_cast<char>(c)); }},
      target(&text) {}
