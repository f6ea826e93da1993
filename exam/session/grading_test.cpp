#include "exam/session/grading.h"

#include <gtest/gtest.h>

#include "exam/data/response_table.h"
#include "exam/session/review_list.h"

namespace marvessa {
namespace {

// Responses of `items` items of section 1 of which the first `correct` are right.
TResponseTable Responses(int items, int correct, int section = 1) {
  TResponseTable t;
  t.Resize(items);
  for (int i = 0; i < items; ++i) {
    t[i].Section = section;
    t[i].Correct = i < correct;
  }
  return t;
}

TEST(Grading, ScoreGradeAndPassFailLine) {
  struct Case {
    int items, correct, shown;
    const char* grade;
  };
  for (Case c : {Case{60, 51, 850, "Pass"}, Case{60, 50, 833, "Fail"}, Case{60, 60, 1000, "Pass"},
                 Case{60, 0, 0, "Fail"}, Case{112, 21, 188, "Fail"}, Case{16, 1, 62, "Fail"},
                 Case{20, 17, 850, "Pass"}, Case{1, 1, 1000, "Pass"}}) {
    TGradeResult r = GradeResponses(Responses(c.items, c.correct));
    SCOPED_TRACE(testing::Message() << c.correct << " of " << c.items);
    EXPECT_EQ(r.itemCount, c.items);
    EXPECT_EQ(r.correctCount, c.correct);
    EXPECT_DOUBLE_EQ(r.score, 1000.0 * c.correct / c.items);
    EXPECT_EQ(r.shownScore, c.shown);
    EXPECT_EQ(GradeText(r), c.grade);
    EXPECT_EQ(PassFailLine(r), QString("Passing Score: 850   Your Score: %1   Grade: %2").arg(c.shown).arg(c.grade));
  }
}

TEST(Grading, PassIsDecidedInIntegersNotOnTheRoundedScore) {
  // 1699 of 2000 is 849.5: shown as 850 (849 is odd), yet below the passing score.
  TGradeResult r = GradeResponses(Responses(2000, 1699));
  EXPECT_EQ(r.shownScore, 850);
  EXPECT_FALSE(r.passed);
  EXPECT_EQ(PassFailLine(r), "Passing Score: 850   Your Score: 850   Grade: Fail");
}

TEST(Grading, SectionsCountTheirOwnItemsOnly) {
  TResponseTable t;
  t.Resize(20);
  // Section 2: 1 of 8 right; section 5: 3 of 8 right; two items of section 0
  // and one of section 9, all right; sections 1, 3, 4, 6, 7 without items.
  for (int i = 0; i < 8; ++i) t[i].Section = 2, t[i].Correct = i == 0;
  for (int i = 8; i < 16; ++i) t[i].Section = 5, t[i].Correct = i < 11;
  t[16].Section = 0, t[16].Correct = true;
  t[17].Section = 0, t[17].Correct = true;
  t[18].Section = 9, t[18].Correct = true;
  t[19].Section = 7, t[19].Correct = false;
  TGradeResult r = GradeResponses(t);
  EXPECT_EQ(r.itemCount, 20);
  EXPECT_EQ(r.correctCount, 7);  // the items outside 1 .. 7 count in the total
  EXPECT_EQ(r.Section(2).right, 1);
  EXPECT_EQ(r.Section(2).total, 8);
  EXPECT_EQ(r.Section(2).percent, 12);
  EXPECT_EQ(r.Section(5).percent, 38);
  EXPECT_EQ(r.Section(7).total, 1);
  EXPECT_EQ(r.Section(7).percent, 0);
  int inSections = 0;
  for (const TSectionScore& s : r.sections) inSections += s.total;
  EXPECT_EQ(inSections, 17);
  EXPECT_EQ(r.Section(1).total, 0);
  EXPECT_EQ(r.Section(1).percent, 0);
  EXPECT_EQ(SectionBarLabel(1, r.Section(1)), "Planning (0/0) ");
  EXPECT_EQ(SectionBarLabel(2, r.Section(2)), "Installation and Configuration (1/8) ");
}

TEST(Grading, AnExamWithoutItemsHasNothingToGrade) {
  TGradeResult r = GradeResponses(TResponseTable{});
  EXPECT_TRUE(r.NothingToGrade());
  EXPECT_EQ(r.score, 0);
  EXPECT_EQ(r.shownScore, 0);
  EXPECT_FALSE(r.passed);
  EXPECT_EQ(PassFailLine(r), "Passing Score: 850   This exam has no items: there is nothing to grade.");
}

TEST(Grading, ReportTitleJoinsWithACommaAndTwoBlanks) {
  EXPECT_EQ(ReportTitle("Robin", "Practice Exam C"), "Robin,  Marvessa,  Practice Exam C");
  EXPECT_EQ(ReportTitle("", "User Exam"), ",  Marvessa,  User Exam");
}

TEST(ReviewList, CaptionsAndIconsOfBothVariants) {
  TResponseTable t;
  t.Resize(5);
  t[0].Choice = {true, false, true, false, false, false};  // answered, wrong
  t[1].Choice = {false, true, false, false, false, true};  // answered, marked, right
  t[1].Marked = true;
  t[1].Correct = true;
  t[2].Marked = true;                                      // marked, unanswered
  t[3].Choice = {true, true, true, true, true, true};
  t[3].Correct = true;
  // t[4]: untouched; answered and then cleared again looks the same.
  struct Expect {
    const char* caption;
    TReviewIcon answering, graded;
  };
  const Expect expected[] = {{"1  AC", riComplete, riIncorrect},
                             {"2  BF", riMarked, riComplete},
                             {"3  ", riMarked, riIncorrect},
                             {"4  ABCDEF", riComplete, riComplete},
                             {"5  ", riIncomplete, riIncorrect}};
  auto answering = ReviewEntries(t, TReviewVariant::Answering);
  auto graded = ReviewEntries(t, TReviewVariant::Graded);
  ASSERT_EQ(answering.size(), 5u);
  ASSERT_EQ(graded.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(answering[i].caption, expected[i].caption) << i;
    EXPECT_EQ(graded[i].caption, expected[i].caption) << i;
    EXPECT_EQ(answering[i].icon, expected[i].answering) << i;
    EXPECT_EQ(graded[i].icon, expected[i].graded) << i;
  }
  EXPECT_EQ(ReviewCaption(6, t[0]), "7  AC");
  EXPECT_EQ(graded[1].state, "correct");
  EXPECT_EQ(answering[3].state, "complete");
}

}  // namespace
}  // namespace marvessa
