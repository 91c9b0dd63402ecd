#pragma once
// A browser URL history that records what it is given. Wine's own history
// answers every call with E_NOTIMPL, so tests register this one in their
// process under CLSID_CUrlHistory and read back what the band recorded.
#include <windows.h>
#include <string>
#include <vector>

struct RecordedUrl {
    std::wstring url;
    std::wstring title;  // "(null)" when no title was given
    DWORD flags;
};

class UrlHistoryRecorder {
public:
    // Registers the class object (CoRegisterClassObject, in-process); COM
    // must be initialised on this thread. Revoked by the destructor.
    UrlHistoryRecorder();
    ~UrlHistoryRecorder();
    UrlHistoryRecorder(const UrlHistoryRecorder&) = delete;
    UrlHistoryRecorder& operator=(const UrlHistoryRecorder&) = delete;

    bool Registered() const { return cookie_ != 0; }

    // Everything AddUrl received since the last Clear, in order.
    static std::vector<RecordedUrl> Recorded();
    static std::vector<std::wstring> RecordedUrls();
    static void Clear();
    // Objects created through the class object.
    static int Created();

private:
    DWORD cookie_ = 0;
};
