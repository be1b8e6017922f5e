// Queries and orders byte for byte: every test asserts the exact host bytes
// (one element per write), the reads asked for and, where the budgets decide
// how long the operator waits, the virtual time.

#include "link/transaction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/fakes/instrument_fixtures.h"

namespace {

using Strings = std::vector<std::string>;
using Sizes = std::vector<std::size_t>;

const std::string kStx(1, kFrameStart);
const std::string kEtx(1, kFrameEnd);
const std::string kUserIdLine = "USER ID" + std::string(10, '.') + "000000042";
constexpr std::int64_t kEmptyOneByteReadUs = 800000;

long count_of(const Strings& writes, const std::string& text) {
  return std::count(writes.begin(), writes.end(), text);
}

Strings repeated(const Strings& block, int times) {
  Strings all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), block.begin(), block.end());
  return all;
}

using Transaction = OpenLinkTest;
using TransactionCall = TransactionResult (OpenLinkTest::*)(const std::string& command_text);

TEST_F(Transaction, UndisturbedQuerySendsTheTableBytesAndReturnsTheLine) {
  const TransactionResult result = query("GET USER ID");
  EXPECT_TRUE(result.succeeded());
  EXPECT_EQ(result.response_line, kUserIdLine);
  EXPECT_EQ(line.host_writes(), (Strings{"?", "\r", "GET USER ID", "\r", "!", "\r", kUserIdLine + kEtx, "\r"}))
      << line.transcript_text();
  EXPECT_EQ(line.read_requests(), (Sizes{1, 12, 40, 1}));
}

TEST_F(Transaction, UndisturbedOrderSendsTheTableBytesAndReadsOneClosingByte) {
  const char* text = "SET USER ID 000417";
  EXPECT_TRUE(order(text).succeeded());
  EXPECT_EQ(line.host_writes(), (Strings{"?", "\r", text, "\r", "!", "\r"})) << line.transcript_text();
  EXPECT_EQ(line.read_requests(), (Sizes{1, 19, 1}));
  EXPECT_EQ(model.state.settings.user_id, "000417");
}

TEST_F(Transaction, EchoFirstByteIsNeverExamined) {
  for (char lead : {'!', '\0', '?', 'G', '\r'}) {
    line.attach_script({"!", std::string(1, lead) + "GET USER ID", kStx + "LINE" + kEtx, "!"});
    const TransactionResult result = query("GET USER ID");
    ASSERT_TRUE(result.succeeded()) << int(lead) << "\n" << line.transcript_text();
    EXPECT_EQ(result.response_line, "LINE");
  }
}

TEST_F(Transaction, EchoWrongFifteenTimesFailsEvenWhenTheSixteenthIsRight) {
  struct Case {
    int wrong_echoes;
    bool succeeds;
    int attempts;
  };
  for (Case c : {Case{14, true, 15}, Case{15, false, 16}}) {
    SCOPED_TRACE(c.wrong_echoes);
    SetUp();
    model.faults.corrupt_echo = c.wrong_echoes;
    const TransactionResult result = query("GET USER ID");
    EXPECT_EQ(result.failure, c.succeeds ? LinkFailure::none : LinkFailure::garbled);
    Strings writes = line.host_writes();
    EXPECT_EQ(count_of(writes, "?"), c.attempts);
    EXPECT_EQ(count_of(writes, "GET USER ID"), c.attempts) << "each attempt sends the command again";
    if (!c.succeeds) {
      // The sixteenth arrival still sends and reads; the echo it reads is
      // right, and the query fails without confirming it.
      EXPECT_EQ(line.transcript().back().bytes, kEchoLeadByte + std::string("GET USER ID"));
      EXPECT_EQ(Strings(writes.end() - 2, writes.end()), (Strings{"GET USER ID", "\r"}));
    }
  }
}

TEST_F(Transaction, SilentInstrumentGetsSixteenAttentionBytesAndNothingElse) {
  for (TransactionCall transaction : {&Transaction::query, &Transaction::order}) {
    SetUp();
    model.faults.silent = true;
    EXPECT_EQ((this->*transaction)("GET USER ID").failure, LinkFailure::silence);
    EXPECT_EQ(line.host_writes(), repeated({"?", "\r"}, 16));
    EXPECT_EQ(line.read_requests(), Sizes(16, 1));
    // About 12.8 s: sixteen empty one-byte reads and the bytes sent.
    EXPECT_EQ(line.elapsed_us(), 16 * kEmptyOneByteReadUs + fake_transmission_us(32));
  }
}

TEST_F(Transaction, IgnoredAttentionUsesTheAttentionBudget) {
  for (int ignored : {14, 15}) {
    SCOPED_TRACE(ignored);
    SetUp();
    model.faults.ignore_attention = ignored;
    EXPECT_EQ(query("GET USER ID").succeeded(), ignored < 15);
    EXPECT_EQ(count_of(line.host_writes(), "?"), ignored + 1);
  }
}

TEST_F(Transaction, FortyByteResponseGivesThirtyEightCharactersAndHandsBackThirtyNine) {
  model.faults.response_framing = ResponseFraming::forty_bytes;
  const TransactionResult result = query("GET USER ID");
  const std::string padded = kUserIdLine + std::string(12, ' ');
  ASSERT_EQ(padded.size(), 38u);
  EXPECT_EQ(result.response_line, padded);
  Strings writes = line.host_writes();
  ASSERT_EQ(writes.size(), 8u);
  EXPECT_EQ(writes[6], padded + kEtx);
  EXPECT_EQ(writes[6].size(), 39u);
  EXPECT_EQ(writes[7], "\r");
}

TEST_F(Transaction, LongerReplyIsCutAtFortyBytes) {
  const std::string reply = kStx + std::string(50, 'x');
  line.attach_script({"!", "\nGET USER ID", reply, "!"});
  ASSERT_EQ(query("GET USER ID").response_line, std::string(38, 'x'));
  EXPECT_EQ(line.host_writes()[6], std::string(39, 'x'));
}

TEST_F(Transaction, OneByteResponseGivesAnEmptyLineAndHandsBackOnlyTheTerminator) {
  model.faults.response_framing = ResponseFraming::one_byte;
  const TransactionResult result = query("GET USER ID");
  EXPECT_TRUE(result.succeeded());
  EXPECT_EQ(result.response_line, "");
  EXPECT_EQ(line.host_writes(), (Strings{"?", "\r", "GET USER ID", "\r", "!", "\r", "\r"}));
  EXPECT_EQ(line.read_requests(), (Sizes{1, 12, 40, 1})) << "the closing \"!\" is still expected";
}

TEST_F(Transaction, NulInTheResponseEndsTheLineButEverythingGoesBack) {
  const std::string reply = kStx + std::string("AB\0CD", 5) + kEtx;
  line.attach_script({"!", "\nGET USER ID", reply, "!"});
  ASSERT_EQ(query("GET USER ID").response_line, "AB");
  EXPECT_EQ(line.host_writes()[6], std::string("AB\0CD", 5) + kEtx);
}

TEST_F(Transaction, ResponseReadBringingNothingFailsWithoutHandingBack) {
  line.attach_script({"!", "\nGET USER ID", ""});
  EXPECT_FALSE(query("GET USER ID").succeeded());
  EXPECT_EQ(line.host_writes(), (Strings{"?", "\r", "GET USER ID", "\r", "!", "\r"}));
  EXPECT_EQ(line.read_requests(), (Sizes{1, 12, 40}));
}

TEST_F(Transaction, QueryClosingFailureRunsTheWholeExchangeAgain) {
  line.attach_script({"!", "\nGET USER ID", kStx + "FIRST" + kEtx, std::string(1, '\0'),  //
                           "!", "\nGET USER ID", kStx + "SECOND" + kEtx, "!"});
  EXPECT_EQ(query("GET USER ID").response_line, "SECOND");
  Strings writes = line.host_writes();
  EXPECT_EQ(count_of(writes, "?"), 2);
  EXPECT_EQ(count_of(writes, "GET USER ID"), 2);
}

TEST_F(Transaction, QueryClosingWrongFifteenTimesFailsEvenWhenTheSixteenthIsRight) {
  const Strings wrong_closing{"!", "\nGET USER ID", kStx + "LINE" + kEtx, "x"};
  const Strings right_closing{"!", "\nGET USER ID", kStx + "LINE" + kEtx, "!"};
  for (int wrong : {14, 15}) {
    SCOPED_TRACE(wrong);
    SetUp();
    Strings script = repeated(wrong_closing, wrong);
    script.insert(script.end(), right_closing.begin(), right_closing.end());
    line.attach_script(script);
    EXPECT_EQ(query("GET USER ID").succeeded(), wrong < 15);
    EXPECT_EQ(count_of(line.host_writes(), "?"), wrong + 1);
  }
}

// The budgets count failures over the whole transaction: spending each
// stage's fifteen in turn gives the most attention bytes a transaction sends.
TEST_F(Transaction, BudgetsAreNeverResetBetweenAttempts) {
  const std::string echo = "\nGET USER ID";
  const std::string response = kStx + "LINE" + kEtx;
  struct Case {
    TransactionCall transaction;
    Strings script;
    long attention_bytes;
  };
  Strings query_script = repeated({"!", echo, response, "x"}, 15);  // closing failures
  Strings both = repeated({"!", "\nGET USER IX"}, 15);              // echo failures
  query_script.insert(query_script.end(), both.begin(), both.end());
  Strings order_script = both;
  for (Strings* script : {&query_script, &order_script}) {
    Strings silence(15, "");                                          // attention failures
    script->insert(script->end(), silence.begin(), silence.end());
    script->insert(script->end(), {"!", echo, response, "!"});       // right, but too late
  }
  for (const Case& c : {Case{&Transaction::query, query_script, 46}, Case{&Transaction::order, order_script, 31}}) {
    SetUp();
    line.attach_script(c.script);
    EXPECT_EQ((this->*c.transaction)("GET USER ID").failure, LinkFailure::garbled);
    EXPECT_EQ(count_of(line.host_writes(), "?"), c.attention_bytes) << line.transcript_text();
  }
}

TEST_F(Transaction, OrderWithNulThenAcknowledgementSucceedsAfterOneExtraRead) {
  model.faults.nul_before_order_closing = 1;
  const char* text = "SET ALARM SETTING 0060";
  EXPECT_TRUE(order(text).succeeded());
  EXPECT_EQ(line.host_writes(), (Strings{"?", "\r", text, "\r", "!", "\r"})) << "nothing between the two reads";
  EXPECT_EQ(line.read_requests(), (Sizes{1, 23, 1, 1}));
}

TEST_F(Transaction, OrderWhoseClosingNeverComesReadsSixteenTimesAndSendsTheCommandOnce) {
  model.faults.drop_order_closing = 1;
  const char* text = "SET ALARM SETTING 0060";
  EXPECT_EQ(order(text).failure, LinkFailure::unconfirmed);
  EXPECT_EQ(line.host_writes(), (Strings{"?", "\r", text, "\r", "!", "\r"}));
  Sizes reads{1, 23};
  reads.insert(reads.end(), 16, 1);
  EXPECT_EQ(line.read_requests(), reads);
  EXPECT_EQ(model.state.settings.alarm_setting, "0060") << "the instrument did the order; only its reply was lost";
}

TEST_F(Transaction, CancelledPortFailsAtOnceWithNothingWritten) {
  cancel.request();
  EXPECT_EQ(query("GET USER ID").failure, LinkFailure::cancelled);
  EXPECT_EQ(order("SET USER ID 1").failure, LinkFailure::cancelled);
  EXPECT_TRUE(line.transcript().empty());
  EXPECT_EQ(line.elapsed_us(), 0);
}

// What crossed the line, call by call, without timing.
Strings calls_made(const FakeSerialLine& line) {
  Strings calls;
  for (const FakeTransfer& transfer : line.transcript()) {
    bool write = transfer.direction == FakeDirection::host_write;
    calls.push_back((write ? "write " : "read ") + escaped_wire_text(transfer.bytes));
  }
  return calls;
}

TEST_F(Transaction, PlatformFailureEndsTheTransactionAtOnce) {
  EXPECT_TRUE(query("GET USER ID").succeeded());
  const Strings undisturbed = calls_made(line);
  ASSERT_EQ(undisturbed.size(), 12u);
  for (bool fail_write : {true, false}) {
    const std::string kind = fail_write ? "write " : "read ";
    const int calls_of_kind = fail_write ? 8 : 4;
    for (int successful = 0; successful < calls_of_kind; ++successful) {
      SCOPED_TRACE(kind + std::to_string(successful));
      SetUp();
      if (fail_write) {
        line.fail_write_after(successful);
      } else {
        line.fail_read_after(successful);
      }
      EXPECT_EQ(query("GET USER ID").failure, LinkFailure::port_failed);
      // Exactly the undisturbed calls up to the failing one, nothing after it.
      std::size_t cut = 0;
      for (int seen = 0; cut < undisturbed.size(); ++cut) {
        if (undisturbed[cut].compare(0, kind.size(), kind) == 0 && seen++ == successful) break;
      }
      EXPECT_EQ(calls_made(line), Strings(undisturbed.begin(), undisturbed.begin() + cut));
    }
  }
}

TEST_F(Transaction, EmptySetValueGoesOutAsTheSetTextAndTerminator) {
  ASSERT_TRUE(order("SET USER ID ").succeeded());
  Strings writes = line.host_writes();
  ASSERT_GE(writes.size(), 4u);
  EXPECT_EQ(writes[2], "SET USER ID ");
  EXPECT_EQ(writes[2].size(), 12u);
  EXPECT_EQ(writes[3], "\r");
  EXPECT_EQ(model.state.settings.user_id, "");
}

// A longer command's echo would not fit the receive buffer: it could never be
// confirmed, and reading it would write past the buffer.
TEST_F(Transaction, CommandTextBeyondNinetyEightCharactersFailsWithNothingSent) {
  const std::string longest = "SET USER ID " + std::string(86, '7');
  ASSERT_EQ(longest.size(), 98u);
  ASSERT_TRUE(order(longest).succeeded());
  EXPECT_EQ(line.read_requests()[1], 99u);
  SetUp();
  const std::string too_long = longest + "7";
  EXPECT_EQ(order(too_long).failure, LinkFailure::not_sent);
  EXPECT_EQ(query(too_long).failure, LinkFailure::not_sent);
  EXPECT_TRUE(line.transcript().empty());
}

}  // namespace
