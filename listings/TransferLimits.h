#pragma once
// Time limits for every HTTP transfer: a connect limit, and a stall limit that
// aborts a transfer when less than lowSpeedBytes a second arrive for
// lowSpeedSeconds. Read from the configuration keys
// "/matchray/connect_timeout" and "/matchray/stall_timeout" (seconds).

struct TransferLimits {
    long connectSeconds = 10;
    long lowSpeedSeconds = 15;
    long lowSpeedBytes = 1;

    static TransferLimits fromConfig();
};
