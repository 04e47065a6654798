// The grid's model against the in-process test broker: live quotes of its rows.
#include "ViewsTestSupport.h"

#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tools/testbroker/CTestBroker.h"
#include "views/CQuoteGridModel.h"

TEST(GridBroker, RowsFollowTheBrokersTrades)
{
    qx::testsupport::CSeriesBrokerSession session;
    ASSERT_TRUE(session.Start());
    CQuoteGridModel model(&session.Manager().GetQuoteStore());
    const int last = model.AddColumn(MakeCatalogueColumn(kFieldLast));
    CGridRow* row = model.CreateRow("IBM", nullptr, 0);
    ASSERT_TRUE(session.Broker().WaitForSubscription(kServiceQuote, "IBM", 10000));
    ASSERT_TRUE(session.Broker().InjectTrade("IBM", 123.25, 100));
    CString text;
    double value = 0;
    EXPECT_TRUE(WaitFor([&] { return model.GetCell(*row, 0, last, text, value) && value == 123.25; }))
        << text.GetString();
    model.DestroyAllRows();
    session.Stop();
}
