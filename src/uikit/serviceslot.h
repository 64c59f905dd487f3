#pragma once

// How the program reaches a service that tests stand in for (prompts,
// choosers, the desktop's links): through one installed object at a time.

namespace lindo {

// The Current() object of a Service that derives from this: the one that
// Service::Default() gives (the real thing, defined beside the service)
// until Install names another object, not owned; Install(nullptr) brings the
// default back.
template <typename Service>
class ServiceSlot {
public:
    static Service &Current()
    {
        Service *installed = Installed();
        return installed ? *installed : Service::Default();
    }

    static void Install(Service *service) { Installed() = service; }

private:
    static Service *&Installed()
    {
        static Service *installed = nullptr;
        return installed;
    }
};

} // namespace lindo
