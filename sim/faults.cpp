#include "sim/faults.h"

#include <charconv>

bool IsBlockFault(FaultKind kind) {
  return kind == FaultKind::RefuseWrite || kind == FaultKind::FlashFailure || kind == FaultKind::SwapReads;
}

void Faults::Order(const FaultOrder& order) { orders_.push_back(Active{order}); }

bool Faults::Mutes(uint8_t unit, uint32_t baud) const {
  for (const Active& active : orders_) {
    const FaultOrder& order = active.order;
    if (order.kind == FaultKind::Mute && order.after == 0 && (order.unit == 0 || order.unit == unit) &&
        (order.speed == 0 || order.speed == baud)) {
      return true;
    }
  }
  return false;
}

uint8_t Faults::FlashResult(uint8_t unit, uint32_t address, uint32_t length) const {
  for (const Active& active : orders_) {
    const FaultOrder& order = active.order;
    if (order.kind == FaultKind::FlashFail && order.after == 0 && (order.unit == 0 || order.unit == unit) &&
        order.address >= address && order.address - address < length) {
      return order.result;
    }
  }
  return 0;
}

ReplyFate Faults::Apply(uint8_t unit, Bytes reply) {
  ReplyFate fate;
  fate.bytes = std::move(reply);
  for (Active& active : orders_) {
    FaultOrder& order = active.order;
    if (active.done || IsBlockFault(order.kind) || (order.unit != 0 && order.unit != unit)) continue;
    if (order.after > 0) {
      --order.after;
      continue;
    }
    switch (order.kind) {
      case FaultKind::StrayBytes:
        fate.bytes.insert(fate.bytes.begin(), static_cast<size_t>(order.bytes), 0x00);
        fate.notes.push_back("fault: " + std::to_string(order.bytes) + " stray byte(s) before the reply");
        active.done = true;
        break;
      case FaultKind::DropReply:
        fate.sent = false;
        fate.notes.push_back("fault: reply dropped");
        active.done = order.count == 1;
        if (order.count > 1) --order.count;
        break;
      case FaultKind::CorruptReply: {
        size_t middle = fate.bytes.size() / 2;
        fate.bytes[middle] ^= 0xFF;
        fate.notes.push_back("fault: reply byte " + std::to_string(middle) + " corrupted");
        active.done = order.count == 1;
        if (order.count > 1) --order.count;
        break;
      }
      case FaultKind::Mute:
      case FaultKind::FlashFail: break;  // counted down above; from now on they hold
      case FaultKind::Vanish:
        fate.sent = false;
        fate.vanish = true;
        fate.notes.push_back("fault: the link vanishes");
        active.done = true;
        break;
      case FaultKind::RefuseWrite:
      case FaultKind::FlashFailure:
      case FaultKind::SwapReads: break;  // not reply faults
    }
  }
  return fate;
}

const FaultOrder* Faults::TakeBlock(FaultKind kind, uint8_t unit) {
  const FaultOrder* acting = nullptr;
  for (Active& active : orders_) {
    FaultOrder& order = active.order;
    if (active.done || order.kind != kind || (order.unit != 0 && order.unit != unit)) continue;
    if (order.after > 0) {
      --order.after;
      continue;
    }
    if (acting != nullptr) continue;
    acting = &order;
    if (order.kind == FaultKind::FlashFailure || order.count == 1) active.done = true;
    else if (order.count > 1) --order.count;
  }
  return acting;
}

namespace {

bool ParseNumber(std::string_view text, int& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

// Decimal, or hex after "0x".
bool ParseAddress(std::string_view text, uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// ADDRESS[:RESULT] of a flash failure.
bool ParseFlashFail(const std::string& text, std::string_view argument, FaultOrder& order, std::string& error) {
  std::string_view address = argument.substr(0, argument.find(':'));
  uint32_t result = 1;
  bool hasResult = argument.size() > address.size();
  if (!ParseAddress(address, order.address) ||
      (hasResult && (!ParseAddress(argument.substr(address.size() + 1), result) || result == 0 || result > 255))) {
    error = "fault '" + text + "': flashfail:ADDRESS[:RESULT], ADDRESS and RESULT decimal or 0x hex, RESULT 1 to 255";
    return false;
  }
  order.kind = FaultKind::FlashFail;
  order.result = static_cast<uint8_t>(result);
  return true;
}

}  // namespace

bool ParseFaultOrder(const std::string& text, FaultOrder& order, std::string& error) {
  order = FaultOrder{};
  std::string_view rest = text;
  size_t at = rest.find('@');
  if (at != std::string_view::npos) {
    if (!ParseNumber(rest.substr(at + 1), order.after)) {
      error = "fault '" + text + "': after '@' comes the number of replies to let pass";
      return false;
    }
    rest = rest.substr(0, at);
  }
  std::string_view kind = rest.substr(0, rest.find(':'));
  std::string_view argument;
  bool hasArgument = rest.size() > kind.size();
  if (hasArgument) argument = rest.substr(kind.size() + 1);

  if (kind == "flashfail") return ParseFlashFail(text, argument, order, error);
  int number = 0;
  if (hasArgument && !ParseNumber(argument, number)) {
    error = "fault '" + text + "': '" + std::string(argument) + "' is not a number";
    return false;
  }
  if (kind == "stray") {
    order.kind = FaultKind::StrayBytes;
    order.bytes = hasArgument ? number : 1;
    if (order.bytes < 1 || order.bytes > 255) {
      error = "fault '" + text + "': stray bytes are 1 to 255";
      return false;
    }
  } else if (kind == "drop" || kind == "corrupt") {
    order.kind = kind == "drop" ? FaultKind::DropReply : FaultKind::CorruptReply;
    order.count = hasArgument ? number : 1;
  } else if (kind == "mute") {
    order.kind = FaultKind::Mute;
    order.speed = static_cast<uint32_t>(number);
  } else if (kind == "vanish" && !hasArgument) {
    order.kind = FaultKind::Vanish;
  } else if (kind == "refuse" || kind == "swap") {
    order.kind = kind == "refuse" ? FaultKind::RefuseWrite : FaultKind::SwapReads;
    order.count = hasArgument ? number : 1;
  } else if (kind == "flash") {
    order.kind = FaultKind::FlashFailure;
    order.result = static_cast<uint8_t>(hasArgument ? number : 1);
    if (number < 0 || number > 255 || (hasArgument && number == 0)) {
      error = "fault '" + text + "': a flash failure's result is 1 to 255";
      return false;
    }
  } else {
    error = "fault '" + text +
            "': expected stray[:BYTES], drop[:COUNT], corrupt[:COUNT], mute[:SPEED], vanish, "
            "flashfail:ADDRESS[:RESULT], refuse[:COUNT], flash[:RESULT] or swap[:COUNT], each with an optional @AFTER";
    return false;
  }
  return true;
}
