// Writes seed inputs for the fuzz targets from the instrument model: each
// run drives the model (with its normal replies, or one of its fault knobs)
// through FakeSerialPort and records what every read brought, in the
// targets' input encoding (fuzz_harness.h). The parser seeds are the model's
// response lines, the sample log's lines and typical command-line values.
//
//   fuzz_seeds <instrument state file> <folder>
// writes <folder>/transactions, <folder>/readouts and <folder>/parsers, one
// file a seed. `scripts/fuzz --seeds` runs it and merges the seeds into the
// corpora under tests/fuzz/corpus.

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "datalog/log_list.h"
#include "instrument/clock.h"
#include "instrument/data_log.h"
#include "instrument/firmware.h"
#include "instrument/settings.h"
#include "link/instrument_link.h"
#include "tests/fuzz/fuzz_harness.h"
#include "tools/instrument_state_file.h"

namespace {

std::string folder;
int seeds_written = 0;

void write_seed(const std::string& target, const std::string& name, const std::string& bytes) {
  const std::string path = folder + "/" + target + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
    std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
    std::exit(1);
  }
  ++seeds_written;
}

// The reads that the model's replies bring while `run` talks to it over
// the rig's port.
std::string model_replies(const InstrumentState& state, const InstrumentFaults& faults, Trouble trouble, int moment,
                          const std::function<void(SerialPort& port)>& run) {
  InstrumentModel model;
  model.state = state;
  model.faults = faults;
  rig_reset();
  rig().line.attach(&model);
  arm_trouble(trouble, moment);
  run(*rig().port);
  return reply_records(transcript_reads());
}

void transfer_log_over(SerialPort& port) { InstrumentLink(port).transfer_log(nullptr); }

std::string file_name(std::string text) {
  for (char& c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return text;
}

// A value that the model keeps for each SET text.
std::string order_value(const std::string& set_text, const InstrumentState& state) {
  if (set_text == "SET REAL TIME ") return state.clock;
  if (set_text == "SET ACCESS LEVEL ") return state.settings.access_level;
  if (set_text == "SET USER ID ") return state.settings.user_id;
  return "0042";
}

void transaction_seeds(const InstrumentState& state) {
  struct Variant {
    const char* name;
    InstrumentFaults faults;
  };
  InstrumentFaults retries;
  retries.ignore_attention = 1;
  retries.corrupt_echo = 1;
  InstrumentFaults padded, cut, nul_closing, refusals, falls_silent;
  padded.response_framing = ResponseFraming::forty_bytes;
  cut.response_framing = ResponseFraming::one_byte;
  nul_closing.nul_before_order_closing = 1;
  refusals.refuse_log_line = 2;
  falls_silent.silent_after_log_lines = 3;
  const std::vector<Variant> variants = {{"normal", {}}, {"retries", retries}, {"padded", padded}, {"cut", cut},
                                         {"nul-closing", nul_closing}};
  for (CommandKind kind : {CommandKind::query, CommandKind::order}) {
    const std::vector<const char*> texts = command_texts(kind);
    for (std::size_t index = 0; index < texts.size(); ++index) {
      const std::string text = texts[index];
      const std::string value = text.back() == ' ' ? order_value(text, state) : std::string();
      const std::string command = text + value;
      for (const Variant& variant : variants) {
        const std::string replies = model_replies(state, variant.faults, Trouble::none, 0, [&](SerialPort& port) {
          InstrumentLink link(port);
          if (kind == CommandKind::query) {
            link.query(command);
          } else {
            link.order(command);
          }
        });
        write_seed("transactions", file_name(command) + "-" + variant.name,
                   transaction_input_bytes(kind, index, Trouble::none, 0, value) + replies);
      }
    }
  }
  for (const Variant& variant : {Variant{"normal", {}}, Variant{"refusals", refusals},
                                 Variant{"falls-silent", falls_silent}, Variant{"retries", retries}}) {
    const std::string replies =
        model_replies(state, variant.faults, Trouble::none, 0, [](SerialPort& port) { transfer_log_over(port); });
    write_seed("transactions", std::string("log-transfer-") + variant.name,
               transaction_input_bytes(CommandKind::log_transfer, 0, Trouble::none, 0, "") + replies);
  }
  const struct {
    const char* name;
    Trouble trouble;
    int moment;
  } troubles[] = {{"write-refused", Trouble::write_refused, 5},
                  {"read-refused", Trouble::read_refused, 3},
                  {"cancel", Trouble::cancel, 2}};
  for (const auto& trouble : troubles) {
    const std::string replies =
        model_replies(state, {}, trouble.trouble, trouble.moment, [](SerialPort& port) { transfer_log_over(port); });
    write_seed("transactions", std::string("log-transfer-") + trouble.name,
               transaction_input_bytes(CommandKind::log_transfer, 0, trouble.trouble, trouble.moment, "") + replies);
  }
}

void readout_seeds(const InstrumentState& sample) {
  const auto run_readouts = [](int readouts) {
    return [readouts](SerialPort& port) {
      Instrument instrument(port);
      if (readouts & 1) read_firmware_version(instrument);
      if (readouts & 2) read_instrument_clock(instrument);
      if (readouts & 4) read_settings(instrument, nullptr);
      if (readouts & 8) download_data_log(instrument, nullptr);
    };
  };
  const auto seed = [&](const std::string& name, const InstrumentState& state, int readouts, int resolutions) {
    const std::string leading{static_cast<char>(readouts), static_cast<char>(resolutions)};
    write_seed("readouts", name, leading + model_replies(state, {}, Trouble::none, 0, run_readouts(readouts)));
  };
  seed("firmware", sample, 1, 0);
  seed("clock", sample, 2, 0);
  seed("settings", sample, 4, 0);
  seed("sample-log", sample, 8, 0);
  seed("everything", sample, 15, 5);

  InstrumentState odd = sample;
  odd.clock = "13/45/08 2599";
  seed("clock-no-calendar-time", odd, 2, 0);
  odd.clock = "5/3/8 9";
  seed("clock-short", odd, 2, 0);
  odd.clock = "12/31/99 0000";
  seed("clock-midnight", odd, 2, 0);

  InstrumentState quoting = sample;
  quoting.log_lines = {kReceivedBanner,
                       kShortColumnHeader,
                       " I...............12,3",
                       " U...............\"42\"",
                       " O...............M1",
                       "05/23/08 1432   A0,017        12    OK, \"fine\"",
                       "",
                       "x",
                       kReceivedBanner};
  seed("log-with-quotes-and-commas", quoting, 8, 6);
}

void parser_seeds(const InstrumentState& sample) {
  InstrumentModel model;
  model.state = sample;
  for (const char* text : command_texts(CommandKind::query)) {
    write_seed("parsers", "response-" + file_name(text), model.response_line(text));
  }
  write_seed("parsers", "response-clock-end-of-century", "REAL TIME........12/31/99 2359");
  for (std::size_t i = 0; i < sample.log_lines.size() && i < 8; ++i) {
    write_seed("parsers", "log-line-" + std::to_string(i), sample.log_lines[i]);
  }
  const std::vector<std::string> arguments = {
      std::string("user-id=000000042\0instrument=000123", 35),
      "access-level=2",
      std::string("span=0100\0alarm=0050\0response-factor=1.00\0location=000017", 57),
      "operating-mode=M1",
      std::string("user-id=1\0user-id=2", 19),
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    write_seed("parsers", "arguments-" + std::to_string(i), arguments[i]);
  }
  for (const char* time : {"2024-02-29 12:00", "2023-02-29T12:00", "2099-12-31 23:59", "2000-01-01T00:00",
                           "1999-12-31 23:59"}) {
    write_seed("parsers", "time-" + file_name(time), time);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_seeds <instrument state file> <folder>\n");
    return 2;
  }
  InstrumentState sample;
  std::string error;
  if (!load_instrument_state(argv[1], sample, error)) {
    std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
    return 1;
  }
  folder = argv[2];
  for (const char* target : {"", "/transactions", "/readouts", "/parsers"}) mkdir((folder + target).c_str(), 0755);
  transaction_seeds(sample);
  readout_seeds(sample);
  parser_seeds(sample);
  std::printf("fuzz_seeds: %d seeds in %s\n", seeds_written, folder.c_str());
  return 0;
}
