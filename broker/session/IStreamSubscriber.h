// What the stores ask of the broker session: stream subscriptions and one-off requests.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

struct COptionChainRequest;

// Stream service indices 0 to 11.
enum EStreamService : int {
    kServiceQuote = 0,
    kServiceLevelII = 1,
    kServiceNyseBook = 2,
    kServiceInetBook = 3,
    kServiceActives = 4,
    kServiceOptionBook = 5,
    kServiceOptionChain = 6,
    kServiceTimeSales = 7,
    kServiceAccount = 8,
    kServiceStory = 9,
    kServiceTotalView = 10,
    kServiceNews = 11,
    kServiceCount = 12
};

class IStreamSubscriber {
public:
    virtual ~IStreamSubscriber() = default;
    virtual void Subscribe(const CString& symbol, int service) = 0;
    virtual void Unsubscribe(const CString& symbol, int service) = 0;
    // Queues an option-chain request; the answer comes back as a code-14 message with the id.
    virtual DWORD RequestOptionChain(const COptionChainRequest& request) = 0;
    virtual void RequestNewsHistory(const CString& key) = 0;
};
