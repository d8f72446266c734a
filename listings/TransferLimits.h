#pragma once
// Time limits for every HTTP transfer: a connect limit, and a stall limit that
// aborts a transfer when less than lowSpeedBytes a second arrive for
// lowSpeedSeconds. Read from the configuration keys
// "/matchray/connect_timeout" and "/matchray/stall_timeout" (seconds); a
// missing or non-positive value keeps the default. libcurl averages the speed
// over the last few seconds, so a server that takes the request and then goes
// silent is given up on up to about six seconds after the stall limit.

struct TransferLimits {
    long connectSeconds = 10;
    long lowSpeedSeconds = 15;
    long lowSpeedBytes = 1;

    static TransferLimits fromConfig();
};
