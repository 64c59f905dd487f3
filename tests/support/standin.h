#pragma once

// The base of a test's stand-in for a service (prompts, choosers, the
// desktop's links): the object is the service's Current() for its lifetime,
// and the real service is back once it is gone.

namespace lindo::test {

template <typename Service>
class StandIn : public Service {
public:
    StandIn() { Service::Install(this); }
    ~StandIn() override { Service::Install(nullptr); }
    StandIn(const StandIn &) = delete;
    StandIn &operator=(const StandIn &) = delete;
};

} // namespace lindo::test
