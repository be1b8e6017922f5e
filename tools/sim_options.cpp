#include "tools/sim_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

struct CountOption {
  const char* name;
  int InstrumentFaults::*knob;
  int lowest;  // -1 where "off" is a value
};

constexpr CountOption kCountOptions[] = {
    {"--ignore-attention", &InstrumentFaults::ignore_attention, 0},
    {"--corrupt-echo", &InstrumentFaults::corrupt_echo, 0},
    {"--nul-before-order-closing", &InstrumentFaults::nul_before_order_closing, 0},
    {"--drop-order-closing", &InstrumentFaults::drop_order_closing, 0},
    {"--refuse-log-line", &InstrumentFaults::refuse_log_line, 0},
    {"--silent-after-log-lines", &InstrumentFaults::silent_after_log_lines, -1},
};

struct PathOption {
  const char* name;
  std::string SimOptions::*path;
};

constexpr PathOption kPathOptions[] = {
    {"--state", &SimOptions::state_path},
    {"--save-state", &SimOptions::save_path},
    {"--transcript", &SimOptions::transcript_path},
    {"--link", &SimOptions::link_path},
};

bool parse_count(const char* text, int lowest, int& value) {
  char* end = nullptr;
  errno = 0;
  long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < lowest || parsed > INT_MAX) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool parse_framing(const std::string& text, ResponseFraming& framing) {
  if (text == "normal") {
    framing = ResponseFraming::normal;
  } else if (text == "forty-bytes") {
    framing = ResponseFraming::forty_bytes;
  } else if (text == "one-byte") {
    framing = ResponseFraming::one_byte;
  } else {
    return false;
  }
  return true;
}

// Handles an option that takes a value; false with error set when it fails.
bool parse_valued(const std::string& name, const char* value, SimOptions& options, std::string& error) {
  for (const PathOption& option : kPathOptions) {
    if (name == option.name) {
      options.*option.path = value;
      return true;
    }
  }
  for (const CountOption& option : kCountOptions) {
    if (name == option.name) {
      if (parse_count(value, option.lowest, options.faults.*option.knob)) return true;
      error = name + " needs a whole number of at least " + std::to_string(option.lowest) + ", not " + value;
      return false;
    }
  }
  if (name == "--response-framing") {
    if (parse_framing(value, options.faults.response_framing)) return true;
    error = std::string("--response-framing is normal, forty-bytes or one-byte, not ") + value;
    return false;
  }
  error = "unknown option " + name;
  return false;
}

}  // namespace

bool parse_sim_options(int argc, const char* const* argv, SimOptions& options, std::string& error) {
  options = SimOptions();
  bool save_named = false;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--paced") {
      options.paced = true;
    } else if (name == "--silent") {
      options.faults.silent = true;
    } else if (name == "--help") {
      options.help = true;
    } else if (i + 1 >= argc) {
      error = name + (name.compare(0, 2, "--") == 0 ? " needs a value" : ": not an option");
      return false;
    } else {
      if (!parse_valued(name, argv[++i], options, error)) return false;
      save_named = save_named || name == "--save-state";
    }
  }
  if (!save_named) options.save_path = options.state_path;
  return true;
}

const char* sim_usage() {
  return "usage: instrument-sim [options]\n"
         "Serves a simulated 719K instrument on a pseudo-terminal and prints the\n"
         "slave's path as the first line of its output.\n"
         "  --state FILE             instrument state and log (default: the sample)\n"
         "  --save-state FILE        where orders' changes go (default: the --state file)\n"
         "  --transcript FILE        both directions, one host text or reply a line\n"
         "  --link PATH              a symlink to the pty slave\n"
         "  --paced                  replies at 2400-baud timing\n"
         "  --silent                 answers nothing\n"
         "  --ignore-attention K     the next K \"?\" get no reply\n"
         "  --corrupt-echo K         the next K echoes have one wrong character\n"
         "  --nul-before-order-closing K\n"
         "  --drop-order-closing K   the next K orders are never answered\n"
         "  --refuse-log-line K      the next K handed-back log lines are refused\n"
         "  --silent-after-log-lines N\n"
         "  --response-framing normal|forty-bytes|one-byte\n";
}
