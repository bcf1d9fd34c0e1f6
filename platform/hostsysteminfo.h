#pragma once

#include "systeminfo.h"

class HostSystemInfo final : public SystemInfo
{
public:
    QByteArray loginNameBuffer() const override;
};
