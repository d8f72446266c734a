#pragma once
// Work that a request leaves for a worker thread: the response that the event
// loop couldn't give at once.

#include <memory>

#include "HttpResponse.h"

class ResponseTask {
public:
    virtual ~ResponseTask() = default;
    // On a worker thread: the response. Throwing gives 500.
    virtual std::shared_ptr<const HttpResponse> run() = 0;
    // On the loop thread, with what run returned, before it is sent.
    virtual void finished(const std::shared_ptr<const HttpResponse>& response) = 0;
};
