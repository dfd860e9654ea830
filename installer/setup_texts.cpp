#include "installer/setup_texts.h"

#include <algorithm>
#include <cstdio>

namespace talven::installer {

std::string FormatText(const std::string& format, const std::vector<FormatArgument>& arguments) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    size_t j = i + 1;
    if (j < format.size() && format[j] == '%') {
      out += '%';
      i = j;
      continue;
    }
    std::string spec = "%";
    while (j < format.size() && std::string("-+ 0#").find(format[j]) != std::string::npos) spec += format[j++];
    int width = 0;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9') width = std::min(99, width * 10 + (format[j++] - '0'));
    int precision = -1;
    if (j < format.size() && format[j] == '.') {
      precision = 0;
      ++j;
      while (j < format.size() && format[j] >= '0' && format[j] <= '9')
        precision = std::min(99, precision * 10 + (format[j++] - '0'));
    }
    while (j < format.size() && (format[j] == 'l' || format[j] == 'h')) ++j;
    if (j >= format.size()) {
      out += format.substr(i);
      break;
    }
    const char conversion = format[j];
    i = j;
    const FormatArgument* argument = next < arguments.size() ? &arguments[next] : nullptr;
    ++next;
    char buffer[256];
    spec += std::to_string(width);
    if (precision >= 0) spec += "." + std::to_string(precision);
    if (conversion == 's') {
      const std::string text = argument == nullptr ? std::string()
                               : argument->isText  ? argument->text
                                                   : std::to_string(argument->number);
      const std::string cut = precision >= 0 ? text.substr(0, static_cast<size_t>(precision)) : text;
      const bool left = spec.find('-') != std::string::npos;
      std::string padding(cut.size() < static_cast<size_t>(width) ? static_cast<size_t>(width) - cut.size() : 0, ' ');
      out += left ? cut + padding : padding + cut;
    } else if (conversion == 'd' || conversion == 'i' || conversion == 'u') {
      const long long value = argument == nullptr ? 0 : argument->isText ? 0 : argument->number;
      spec += "lld";
      std::snprintf(buffer, sizeof(buffer), spec.c_str(), value);
      out += buffer;
    }
    // Any other conversion is dropped together with its argument.
  }
  return out;
}

}  // namespace talven::installer
