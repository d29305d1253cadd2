#pragma once

#include "service/CService.h"
#include "service/CWarrowApp.h"

#include <memory>

// The Warrow service: its main loop hosts the session launcher.
class CWarrowService : public CService {
public:
    CWarrowService();
    ~CWarrowService() override;

    bool Init() override;
    void Stop() override;
    void Pause() override {}
    void Continue() override {}
    void Run() override;

private:
    bool StartApp();

    std::unique_ptr<CWarrowApp> m_pApp;
};
