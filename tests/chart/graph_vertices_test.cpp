// The plot's data model: storing samples, ranges and the decimation to vertices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "chart/vertex_decimation.h"
#include "chart_test_support.h"

namespace ws {
namespace {

using test::MakePlot;

void FillRamp(CGraph& plot, int channel, int count) {
  for (int i = 0; i < count; ++i) plot.AddSample(channel, i, static_cast<float>(i % 100));
}

TEST(GraphVertices, FullDayGivesFiveThousandVerticesWithStepSeventeen) {
  auto plot = MakePlot(1600, 500);
  FillRamp(*plot, 0, 86400);
  plot->SetChannelRange(-1, 0, 86399);
  plot->ComputeVertices();
  const PlotChannel& ch = *plot->Channel(0);
  EXPECT_EQ(ch.m_nLastIndex, 86399);
  EXPECT_EQ(ch.m_nFirst, 0);
  EXPECT_EQ(ch.m_nEnd, 86399);
  EXPECT_DOUBLE_EQ(ch.m_dStep, 86399 / 4999.0);
  EXPECT_EQ(static_cast<int>(ch.m_dStep), 17);
  EXPECT_EQ(ch.m_nVertexCount + 1, 5000);
  // One pick per bucket: every vertex lies inside its own step-wide bucket.
  for (int j = 0; j <= ch.m_nVertexCount; ++j) {
    const double bucket = j * ch.m_dStep;
    EXPECT_GE(ch.m_VertexSamples[j], static_cast<int>(bucket)) << j;
    EXPECT_LT(ch.m_VertexSamples[j], bucket + 17) << j;
  }
}

TEST(GraphVertices, DecimationStartsAtFiveThousandSamplesAfterTheFirst) {
  auto plot = MakePlot(1000, 400);
  FillRamp(*plot, 0, 5000);  // last index 4999: end - first = 4999
  plot->SetChannelRange(-1, 0, 10000);
  plot->ComputeVertices();
  const PlotChannel& ch = *plot->Channel(0);
  EXPECT_DOUBLE_EQ(ch.m_dStep, 1.0);
  ASSERT_EQ(ch.m_nVertexCount, 4999);
  for (int j = 0; j <= 4999; ++j) ASSERT_EQ(ch.m_VertexSamples[j], j);

  plot->AddSample(0, 5000, 1.0f);
  plot->ComputeVertices();
  EXPECT_DOUBLE_EQ(ch.m_dStep, 5000 / 4999.0);
  EXPECT_EQ(ch.m_nVertexCount, 4999);
}

TEST(GraphVertices, SameRangeGivesSamePicks) {
  auto plot = MakePlot(800, 300);
  FillRamp(*plot, 0, 86400);
  plot->SetChannelRange(-1, 1000, 60000);
  plot->ComputeVertices();
  const std::vector<QPoint> first = plot->Channel(0)->m_Vertices;
  plot->ComputeVertices();
  EXPECT_EQ(plot->Channel(0)->m_Vertices, first);
}

TEST(GraphVertices, ChannelEndingBeforeTheViewDrawsNothing) {
  auto plot = MakePlot(400, 200);
  FillRamp(*plot, 0, 101);
  plot->SetChannelRange(-1, 200, 300);
  plot->ComputeVertices();
  EXPECT_LT(plot->Channel(0)->m_nVertexCount, 0);
  EXPECT_TRUE(plot->Channel(0)->m_Vertices.empty());
}

TEST(GraphVertices, MappingAndClosingVertices) {
  auto plot = MakePlot(100, 100);
  plot->AddSample(0, 0, 5.0f);
  plot->AddSample(0, 1, 10.0f);
  plot->AddSample(0, 2, 0.0f);
  plot->SetChannelRange(-1, 0, 10);
  plot->SetChannelRange(0, 0, 10);
  plot->ComputeVertices();
  const PlotChannel& ch = *plot->Channel(0);
  ASSERT_EQ(ch.m_nVertexCount, 2);
  EXPECT_EQ(ch.m_Vertices[0], QPoint(0, 50));
  EXPECT_EQ(ch.m_Vertices[1], QPoint(10, 0));
  EXPECT_EQ(ch.m_Vertices[2], QPoint(20, 100));
  EXPECT_EQ(ch.m_Vertices[3], QPoint(20, 100));  // closing: under the last vertex
  EXPECT_EQ(ch.m_Vertices[4], QPoint(0, 100));   // and under the first
}

TEST(GraphVertices, StoringAnEarlierSampleMovesTheLastIndexBack) {
  auto plot = MakePlot(400, 200);
  plot->AddSample(0, 200, 1.0f);
  plot->AddSample(0, 100, 2.0f);
  EXPECT_EQ(plot->Channel(0)->m_nLastIndex, 100);
  plot->SetChannelRange(-1, 0, 1000);
  plot->ComputeVertices();
  EXPECT_EQ(plot->Channel(0)->m_nEnd, 100);
}

TEST(GraphVertices, NonFiniteSamplesAreStoredAsZeroAndBadIndicesIgnored) {
  auto plot = MakePlot(400, 200);
  plot->AddSample(0, 5, 7.0f);
  plot->AddSample(0, 6, std::numeric_limits<float>::quiet_NaN());
  plot->AddSample(0, 7, std::numeric_limits<float>::infinity());
  EXPECT_EQ(plot->Channel(0)->m_Samples[6], 0.0f);
  EXPECT_EQ(plot->Channel(0)->m_Samples[7], 0.0f);
  plot->AddSample(0, -1, 3.0f);
  plot->AddSample(0, 86400, 3.0f);
  plot->AddSample(2, 8, 3.0f);
  plot->AddSample(-1, 8, 3.0f);
  EXPECT_EQ(plot->Channel(0)->m_nLastIndex, 7);
  EXPECT_EQ(plot->Channel(2), nullptr);
}

TEST(GraphVertices, RangesAreGuardedAgainstEmptyAndNonFiniteValues) {
  auto plot = MakePlot(400, 200);
  plot->SetChannelRange(-1, 50, 50);  // empty x: one sample wide
  EXPECT_EQ(plot->m_dXMin, 50);
  EXPECT_EQ(plot->m_dXMax, 51);
  plot->SetChannelRange(0, 5, 5);  // empty values: half a unit either way
  EXPECT_EQ(plot->Channel(0)->m_dMin, 4.5);
  EXPECT_EQ(plot->Channel(0)->m_dMax, 5.5);
  EXPECT_DOUBLE_EQ(plot->Channel(0)->m_dPixPerUnit, 200.0);
  plot->SetChannelRange(0, std::nan(""), 9);
  plot->SetChannelRange(-1, 0, std::numeric_limits<double>::infinity());
  EXPECT_EQ(plot->Channel(0)->m_dMin, 4.5);
  EXPECT_EQ(plot->m_dXMax, 51);
  plot->SetChannelRange(5, 0, 1);  // no such channel: nothing
  // A range far out of any pixel still gives coordinates, clamped.
  for (int i = 0; i < 100; ++i) plot->AddSample(0, i, 1.0e30f);
  plot->SetChannelRange(-1, -1.0e300, 1.0e-300);
  plot->SetChannelRange(0, 0, 1.0e-300);
  plot->ComputeVertices();
  const PlotChannel& ch = *plot->Channel(0);
  ASSERT_GE(ch.m_nVertexCount, 0);
  for (int j = 0; j <= ch.m_nVertexCount; ++j) {
    EXPECT_LE(std::abs(ch.m_Vertices[j].y()), kPixelLimit);
  }
}

TEST(GraphVertices, DecimationNeverReadsPastTheLastSample) {
  auto plot = MakePlot(1600, 500);
  FillRamp(*plot, 0, 50001);
  plot->SetChannelRange(-1, 0, 86399);
  plot->ComputeVertices();
  const PlotChannel& ch = *plot->Channel(0);
  ASSERT_EQ(ch.m_nVertexCount, 4999);
  EXPECT_LE(*std::max_element(ch.m_VertexSamples.begin(), ch.m_VertexSamples.end()), 50000);
}

TEST(GraphVertices, ShowPeaksKeepsAThreeSecondSpikeOfACalmDay) {
  auto plot = MakePlot(1600, 500);
  for (int i = 0; i < 86400; ++i) {
    plot->AddSample(0, i, i >= 43210 && i < 43213 ? 40.0f : 3.0f);
  }
  plot->SetChannelRange(-1, 0, 86399);
  plot->SetChannelRange(0, 0, 50);
  plot->OnMenuCommand(kCmdShowPeaks);
  ASSERT_TRUE(plot->m_bShowPeaks);
  const PlotChannel& ch = *plot->Channel(0);
  EXPECT_LE(ch.m_nVertexCount + 1, 5000);
  const int spikeY = 500 - static_cast<int>(40.0 * 10.0);
  const auto hit = std::find_if(ch.m_Vertices.begin(), ch.m_Vertices.begin() + ch.m_nVertexCount + 1,
                                [spikeY](QPoint p) { return p.y() == spikeY; });
  EXPECT_NE(hit, ch.m_Vertices.begin() + ch.m_nVertexCount + 1);
  // In time order.
  EXPECT_TRUE(std::is_sorted(ch.m_VertexSamples.begin(), ch.m_VertexSamples.end()));

  // Off again: the pseudo-random picks, as by default.
  plot->OnMenuCommand(kCmdShowPeaks);
  EXPECT_FALSE(plot->m_bShowPeaks);
  EXPECT_EQ(static_cast<int>(ch.m_dStep), 17);
}

TEST(GraphVertices, ReadoutPrintsTheNumberAloneThroughTheFormat) {
  PlotChannel ch;
  ch.m_Name = QStringLiteral("SPEED");
  ch.m_nDecimals = 2;
  ch.m_Unit = QStringLiteral("m/s");
  EXPECT_EQ(ReadoutText(ch, 3.14159f), QStringLiteral("SPEED : 3.14 m/s"));
  ch.m_nDecimals = 0;
  ch.m_Unit.clear();
  EXPECT_EQ(ReadoutText(ch, 12.3f), QStringLiteral("SPEED : 12 "));
  ch.m_Name = QStringLiteral("%s%n%d");
  ch.m_Unit = QStringLiteral("%%");
  EXPECT_EQ(ReadoutText(ch, 5.0f), QStringLiteral("%s%n%d :  5 %%"));
}

TEST(GraphVertices, NamesAreCutToTheirTwentyByteField) {
  auto plot = MakePlot(100, 100);
  plot->SetChannelName(0, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
  EXPECT_EQ(plot->Channel(0)->m_Name, QStringLiteral("ABCDEFGHIJKLMNOPQRS"));
  plot->SetChannelUnit(0, QStringLiteral("풍속풍속풍속풍속풍속풍속"));  // two bytes each
  EXPECT_EQ(plot->Channel(0)->m_Unit, QStringLiteral("풍속풍속풍속풍속풍"));
}

}  // namespace
}  // namespace ws
