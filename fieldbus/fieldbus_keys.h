// The texts that map the current data row onto each fieldbus's vocabulary: its
// EtherNet/IP parameter, its PROFINET data item, its PROFIBUS module identifier and
// its CANopen object. A type or scope outside the four known ones gives an empty
// text.
#pragma once

#include <string>

// "20 A2 25 <low> <high> 30 05" between double quotes: the ADI object, 16-bit
// instance (the address), attribute 5 (the value).
std::string EthIpLinkPath();
std::string EthIpDescriptor();
std::string EthIpDataType();
std::string EthIpDataTypeDescription();
// The Enum and Fixed entries of a BITS16 row's parameter, naming each bit.
std::string EthEnum();
std::string ProfinetDataType();
std::string ProfinetUseAsBits();
std::string ProfibusModule();
std::string CanopenDictionary();
std::string CanopenDataType();
std::string CanopenAccess();
std::string CanopenPdoMapping();
