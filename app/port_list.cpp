#include "app/port_list.h"

#include <vector>

#include "app/json_text.h"
#include "platform/port_survey.h"

namespace {

std::string OrDash(const String& text) { return text.Empty() ? "-" : std::string(text.View()); }

}  // namespace

std::string PortListText(bool json) {
  std::vector<SurveyedPort> ports = SurveyPorts();
  if (json) {
    std::vector<std::string> items;
    for (const SurveyedPort& port : ports) {
      JsonObject item;
      item.AddNumber("port", port.port)
          .Add("name", "COM" + std::to_string(port.port))
          .Add("device", port.device.View())
          .Add("stableName", port.stableName.View())
          .Add("driver", port.driver.View())
          .AddBool("inUse", port.inUse);
      if (port.latencyMs >= 0) item.AddNumber("latencyMs", port.latencyMs);
      items.push_back(item.Text());
    }
    JsonObject document;
    document.Add("operation", "ports").AddBool("completed", true).AddNumber("exitCode", 0).AddJson("ports",
                                                                                                   JsonArray(items));
    return document.Text() + "\n";
  }
  std::string text;
  for (const SurveyedPort& port : ports) {
    text += "COM" + std::to_string(port.port) + "\t" + std::string(port.device.View()) + "\t" +
            OrDash(port.stableName) + "\t" + OrDash(port.driver) + "\t" + (port.inUse ? "in use" : "free") + "\t" +
            (port.latencyMs >= 0 ? "latency " + std::to_string(port.latencyMs) + " ms" : "-") + "\n";
  }
  return text;
}
