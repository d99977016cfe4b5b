// velmora-cli send end to end over a pseudo-terminal: the console's lines on standard
// output, the exit status a script can test.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include "tests/support/CliFixture.h"

using namespace velmora;
using velmora::test::CliRun;

namespace {

class CliSend : public test::CliFixture {
protected:
    CliRun send(const QStringList& words) { return cli(QStringList{"send"} + words); }
};

}  // namespace

TEST_F(CliSend, ReadPrintsTheConsolesLines) {
    // The same read as one word and as five; the node's RAM at 0x50 holds 00 00 00 01.
    for (const QStringList& words : {QStringList{"1 70 0 50 4"}, QStringList{"1", "70", "0", "50", "4"}}) {
        const CliRun r = send(words);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out,
                  "=> 01 70 00 50 04 3E C3 \n"
                  "   01 70 00 50 04 00 00 00 01 3C 14 \n"
                  "  CRC16=OK\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(CliSend, NoGoodReplyIsStatusOne) {
    struct Case {
        QStringList words;
        std::string out;
    };
    const Case cases[] = {
        // The node takes no frame whose CRC comes high byte first.
        {{"--crc-hi", "1", "78"}, "=> 01 78 02 00 \n"},
        // Nobody at node 9.
        {{"--wait", "100", "9 70 0 50 4"}, "=> 09 70 00 50 04 DF 02 \n"},
    };
    for (const Case& c : cases) {
        const CliRun r = send(c.words);
        EXPECT_EQ(r.status, 1) << c.words.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out);
    }
}

TEST_F(CliSend, NonHexTokenSendsNothing) {
    const CliRun r = send({"1", "7Z"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "'$7Z' is not a valid integer value\n");
    // Nothing reached the line: the next exchange is answered as the first.
    EXPECT_EQ(send({"1 70 0 50 4"}).status, 0);
}
