#include "tests/engine/EngineFixture.h"

using Reports = std::vector<LoggedReport>;

TEST_F(EngineTest, ReportCallsOnLogWithSeverityWordsAndAnswersTheCondition) {
  EXPECT_TRUE(probe().Report(true, sv_Info, "a", e_trace_log));
  EXPECT_TRUE(probe().Report(true, sv_Warning, "b", w_information));
  EXPECT_TRUE(probe().Report(true, sv_Error, "c", e_failed));
  EXPECT_FALSE(probe().Report(false, sv_Error, "not reported", e_failed));
  // Severity 0 goes to the diagnostic log only.
  EXPECT_TRUE(probe().Report(true, sv_Trace, "log only", e_failed));
  EXPECT_EQ(reports,
            (Reports{{e_trace_log, "INFO", "a"}, {w_information, "WARNING", "b"}, {e_failed, "ERROR", "c"}}));
}

TEST_F(EngineTest, ReportSkipsOnLogWithoutAWindowOrWhileDestroying) {
  VOduduDudiviv windowless;
  int calls = 0;
  windowless.setOnLog([&](VOduduDudiviv*, TLogType, const std::string&, const std::string&) { ++calls; });
  EXPECT_TRUE(EngineProbe(windowless).Report(true, sv_Error, "x", e_failed));
  EXPECT_EQ(calls, 0);
  windowless.HandleNeeded();
  EngineProbe(windowless).Report(true, sv_Error, "x", e_failed);
  EXPECT_EQ(calls, 1);
  EngineProbe(windowless).SetDestroying(true);
  EngineProbe(windowless).Report(true, sv_Error, "x", e_failed);
  EXPECT_EQ(calls, 1);
  EngineProbe(windowless).SetDestroying(false);
}

TEST_F(EngineTest, IndexCheckMessagesForEmptyListsAndIndexesBeyondTheList) {
  EXPECT_FALSE(probe().IndexCheck(0, 0, "video capture device"));
  EXPECT_FALSE(probe().IndexCheck(-1, 0, "audio compressor"));
  EXPECT_FALSE(probe().IndexCheck(2, 2, "video compressor"));
  EXPECT_TRUE(probe().IndexCheck(1, 2, "video compressor"));
  EXPECT_TRUE(probe().IndexCheck(-1, 2, "video compressor"));  // negative means none
  EXPECT_EQ(reports, (Reports{{e_no_device_available, "INFO", "no video capture device available"},
                              {e_no_device_available, "INFO", "no audio compressor available"},
                              {e_index_out_of_range, "ERROR", "index of video compressor out of range"}}));
}

TEST_F(EngineTest, StateCheckReportsEveryConditionThatHoldsInOrder) {
  engine->setVideoDevice(-1);
  probe().SetState(es_Recording);
  EXPECT_FALSE(probe().StateCheck(true, true, true));
  EXPECT_EQ(reports, (Reports{{e_no_video_device_selected, "ERROR", "no video device selected"},
                              {e_stop_recording_first, "ERROR", "first stop recording"}}));
  reports.clear();

  probe().SetState(es_Reencoding);
  EXPECT_FALSE(probe().StateCheck(false, true, true));
  probe().SetState(es_Playing);
  EXPECT_FALSE(probe().StateCheck(false, true, false));
  EXPECT_TRUE(probe().StateCheck(false, true, true));
  probe().SetState(es_Previewing);
  EXPECT_FALSE(probe().StateCheck(false, false, true));
  EXPECT_TRUE(probe().StateCheck(false, true, true));
  probe().SetState(es_Stopped);
  EXPECT_TRUE(probe().StateCheck(false, false, false));
  EXPECT_EQ(reports, (Reports{{e_reencoding, "ERROR", "first stop reencoding"},
                              {e_stop_player_first, "ERROR", "first close player"},
                              {e_stop_preview_first, "ERROR", "first stop preview"}}));
}

TEST_F(EngineTest, StateCheckUsesTheCallersSeverity) {
  probe().SetState(es_Recording);
  probe().StateCheck(false, true, true, sv_Warning);
  probe().SetState(es_Stopped);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].severity, "WARNING");
}

TEST_F(EngineTest, AHandlerThatThrowsDoesNotEscapeTheReport) {
  std::string seen;
  auto previous = orvex::kernel::SetUnhandledExceptionHandler(
      [&](std::exception_ptr e) { seen = orvex::kernel::DescribeException(e); });
  engine->setOnLog([](VOduduDudiviv*, TLogType, const std::string&, const std::string&) {
    throw std::runtime_error("handler failed");
  });
  EXPECT_TRUE(probe().Report(true, sv_Error, "x", e_failed));
  EXPECT_EQ(seen, "handler failed");
  orvex::kernel::SetUnhandledExceptionHandler(previous);
}
