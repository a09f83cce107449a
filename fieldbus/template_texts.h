// The four description file templates, compiled into the program from
// fieldbus/templates/ so that it needs no files beside it. Each text has CR LF
// line ends whatever the checked-out files have; its size is whatever the text is.
#pragma once

#include <string_view>

extern const std::string_view EthIpEdsTemplate;
extern const std::string_view ProfinetGsdmlTemplate;
extern const std::string_view ProfibusGsdTemplate;
extern const std::string_view CanopenEdsTemplate;
