#include "app/command_request.h"

#include <cctype>
#include <charconv>
#include <string_view>

#include "protocol/setup_calls.h"

namespace {

struct OperationSpelling {
  Operation operation;
  const char* option;
  bool takesFile;
};

constexpr OperationSpelling Operations[] = {
    {Operation::Help, "--help", false},
    {Operation::Version, "--version", false},
    {Operation::Ports, "--ports", false},
    {Operation::List, "--list", false},
    {Operation::UpdateAll, "--update-all", false},
    {Operation::SaveLogs, "--save-logs", false},
    {Operation::SaveSetup, "--save-setup", true},
    {Operation::LoadSetup, "--load-setup", true},
    {Operation::GenerateModbus, "--generate-modbus", true},
    {Operation::GenerateFieldbus, "--generate-fieldbus", true},
};

const OperationSpelling* FindOperation(std::string_view option) {
  for (const OperationSpelling& spelling : Operations) {
    if (option == spelling.option) return &spelling;
  }
  return nullptr;
}

bool WorksOnOneUnit(Operation operation) {
  return operation == Operation::SaveSetup || operation == Operation::LoadSetup ||
         operation == Operation::GenerateModbus || operation == Operation::GenerateFieldbus;
}

// Modbus addresses run from 1 to 247.
bool ReadUnitAddress(std::string_view text, int& address) {
  const char* end = text.data() + text.size();
  auto [stop, fault] = std::from_chars(text.data(), end, address);
  return fault == std::errc() && stop == end && address >= 1 && address <= 247;
}

// The letters the classic option reader takes: -d, -dd, and -p with its port.
bool IsClassicOption(std::string_view item) {
  if (item == "-p" || item == "-P") return true;
  if (item.size() < 2 || item[0] != '-') return false;
  for (char c : item.substr(1)) {
    if (c != 'd' && c != 'D') return false;
  }
  return true;
}

class Reader {
 public:
  Reader(int argc, const char* const* argv, CommandRequest& request, std::string& error)
      : argc_(argc), argv_(argv), request_(request), error_(error) {}

  bool Read() {
    if (argc_ > 0) request_.rest.emplace_back(argv_[0]);
    for (index_ = 1; index_ < argc_; ++index_) {
      std::string_view item = argv_[index_];
      if (item == "-h" || item == "-v") {
        if (!Choose(item == "-h" ? Operation::Help : Operation::Version, item)) return false;
      } else if (item == "-q") {
        request_.quiet = true;
      } else if (item.size() < 3 || item.substr(0, 2) != "--") {
        if (!IsClassicOption(item) && item.size() > 1 && item[0] == '-' && unknownShort_.empty()) unknownShort_ = item;
        request_.rest.emplace_back(item);
      } else if (!ReadLongOption(item)) {
        return false;
      }
    }
    return Check();
  }

 private:
  bool Fail(std::string reason) {
    error_ = std::move(reason);
    return false;
  }

  bool Choose(Operation operation, std::string_view spelled) {
    if (request_.operation != Operation::Window) {
      return Fail(std::string("one operation at a time: ") + OperationOption(request_.operation) + " and " +
                  std::string(spelled));
    }
    request_.operation = operation;
    return true;
  }

  // "--name value" and "--name=value" alike. A next item that is itself a long option
  // is no value: "--save-setup --unit 5" lacks its file, it does not save into "--unit".
  bool TakeValue(std::string_view attached, bool hasAttached, std::string& value) {
    if (hasAttached) {
      value = attached;
    } else if (index_ + 1 < argc_ && std::string_view(argv_[index_ + 1]).substr(0, 2) != "--") {
      value = argv_[++index_];
    } else {
      return false;
    }
    return true;
  }

  bool ReadLongOption(std::string_view item) {
    size_t equals = item.find('=');
    bool hasValue = equals != std::string_view::npos;
    std::string_view name = item.substr(0, equals);
    std::string_view attached = hasValue ? item.substr(equals + 1) : std::string_view();
    std::string value;
    if (const OperationSpelling* spelling = FindOperation(name)) {
      if (!Choose(spelling->operation, name)) return false;
      if (!spelling->takesFile) return !hasValue || Fail(std::string(name) + " takes no value");
      if (!TakeValue(attached, hasValue, request_.file) || request_.file.empty()) {
        return Fail(std::string(name) + " needs a file name");
      }
      return true;
    }
    if (name == "--port" || name == "--job") {
      // The classic option reader's, as the port and the job file named by position are.
      request_.rest.emplace_back(item);
      if (!hasValue && index_ + 1 < argc_) request_.rest.emplace_back(argv_[++index_]);
      return true;
    }
    if (name == "--yes") {
      request_.yes = true;
      return !hasValue || Fail("--yes takes no value");
    }
    if (name == "--json") {
      request_.json = true;
      return !hasValue || Fail("--json takes no value");
    }
    if (name == "--quiet") {
      request_.quiet = true;
      return !hasValue || Fail("--quiet takes no value");
    }
    if (name == "--unit") {
      if (!TakeValue(attached, hasValue, value)) return Fail("--unit needs an address");
      if (!ReadUnitAddress(value, request_.unit)) return Fail("--unit " + value + ": an address is 1 to 247");
      unitGiven_ = true;
      return true;
    }
    if (name == "--type") {
      if (!TakeValue(attached, hasValue, value) || value.empty()) return Fail("--type needs a load type");
      typeGiven_ = true;
      return FindLoadType(value) || Fail("--type " + value + ": the load types are " + LoadTypeList());
    }
    return Fail("unknown option " + std::string(name));
  }

  bool Check() {
    Operation operation = request_.operation;
    if (WorksOnOneUnit(operation) && !unitGiven_) {
      return Fail(std::string(OperationOption(operation)) + " needs --unit ADDRESS");
    }
    if (!WorksOnOneUnit(operation) && unitGiven_) return Fail(NotTaken("--unit"));
    if (operation != Operation::LoadSetup && typeGiven_) return Fail(NotTaken("--type"));
    bool runsAnOperation = operation != Operation::Window && operation != Operation::Help &&
                           operation != Operation::Version;
    // The window's own reader answers a wrong letter with its usage text; a script
    // gets the usage mistake.
    if (runsAnOperation && !unknownShort_.empty()) return Fail("unknown option " + unknownShort_);
    if (request_.yes && !runsAnOperation) return Fail("--yes answers the questions of an operation; name one");
    if (request_.quiet && !runsAnOperation) return Fail("--quiet leaves an operation's results alone; name one");
    if (request_.json && !runsAnOperation) return Fail("--json gives an operation's results; name one");
    return true;
  }

  // As the Load Setup window shows them; letter case does not matter.
  bool FindLoadType(const std::string& text) {
    for (int i = 0; i < LoadTypeCount; ++i) {
      if (EqualIgnoringCase(text, LoadTypes[i].text)) {
        request_.loadType = i;
        return true;
      }
    }
    return false;
  }

  static std::string LoadTypeList() {
    std::string list;
    for (int i = 0; i < LoadTypeCount; ++i) {
      list += i == 0 ? "\"" : ", \"";
      list += LoadTypes[i].text;
      list += '"';
    }
    return list;
  }

  static bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
  }

  std::string NotTaken(const char* option) const {
    if (request_.operation == Operation::Window) return std::string(option) + " needs an operation";
    return std::string(OperationOption(request_.operation)) + " does not take " + option;
  }

  int argc_;
  const char* const* argv_;
  CommandRequest& request_;
  std::string& error_;
  int index_ = 0;
  std::string unknownShort_;
  bool unitGiven_ = false;
  bool typeGiven_ = false;
};

}  // namespace

bool ReadCommandRequest(int argc, const char* const* argv, CommandRequest& request, std::string& error) {
  request = CommandRequest{};
  return Reader(argc, argv, request, error).Read();
}

const char* OperationOption(Operation operation) {
  for (const OperationSpelling& spelling : Operations) {
    if (spelling.operation == operation) return spelling.option;
  }
  return "";
}

bool OperationAsks(Operation operation) { return operation == Operation::UpdateAll; }
