#pragma once
// Bounds on what a server can make the plug-in spend. Every limit is a
// configuration key; a missing, malformed or non-positive value keeps the
// default.
//
// Each transfer has a connect limit ("/matchray/connect_timeout"), a stall
// limit that aborts it when less than lowSpeedBytes a second arrive for
// lowSpeedSeconds ("/matchray/stall_timeout"), a total deadline and a cap on
// the body's size. libcurl averages the speed over the last few seconds, so a
// server that takes the request and then goes silent is given up on up to
// about six seconds after the stall limit, or at the deadline if that is sooner.

#include <cstddef>
#include <cstdint>

struct TransferLimits {
    enum class Kind {
        answer,   // a listings or channel answer
        picture,  // one match picture
    };

    long connectSeconds = 10;
    long lowSpeedSeconds = 15;
    long lowSpeedBytes = 1;
    // The whole transfer, connect included ("/matchray/answer_timeout",
    // "/matchray/picture_timeout").
    long totalMilliseconds = 30000;
    // A longer body fails the transfer, with or without a Content-Length
    // ("/matchray/max_answer_kib", "/matchray/max_picture_kib").
    int64_t maxBodyBytes = int64_t(1) << 20;

    static TransferLimits fromConfig(Kind kind = Kind::answer);
    // The time the whole picture pass may take ("/matchray/picture_pass_timeout");
    // the pictures still missing then are skipped.
    static long picturePassMilliseconds();
};

// The most records one answer may bring; lines past a cap are read and
// discarded ("/matchray/max_matches", "/matchray/max_satellites",
// "/matchray/max_channels").
struct RecordCaps {
    size_t matches = 2000;
    size_t satellites = 8000;
    size_t channels = 500;

    static RecordCaps fromConfig();
};
