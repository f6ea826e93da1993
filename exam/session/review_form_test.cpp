// The items review window: its list and legends in both variants, and
// choosing an entry.
#include "exam/session/review_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "exam/data/response_table.h"
#include "exam/session/review_icons.h"

namespace marvessa {
namespace {

class ReviewFormTest : public ::testing::Test {
 protected:
  ReviewFormTest() {
    responses.Resize(14);
    responses[0].Choice[0] = responses[0].Choice[2] = true;
    responses[1].Marked = true;
    responses[1].Choice[1] = true;
    responses[1].Correct = true;
  }
  QListWidget& List() { return *form.Ui().ListView1; }
  int Icon(int row) { return List().item(row)->data(Qt::UserRole).toInt(); }
  // Runs `act` while the window is shown modally.
  void WhileShown(const std::function<void()>& act) {
    QTimer::singleShot(0, &form, [&] {
      act();
      if (form.isVisible()) form.Ui().BitBtn1->click();
    });
    form.Execute();
  }

  TResponseTable responses;
  TReviewForm form;
};

TEST_F(ReviewFormTest, ListAndLegendOfEachVariant) {
  EXPECT_EQ(form.windowTitle(), "Items Review");
  EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
  form.FillReviewList(responses, TReviewVariant::Answering);
  ASSERT_EQ(List().count(), 14);
  EXPECT_EQ(List().item(0)->text(), "1  AC");
  EXPECT_EQ(List().item(1)->text(), "2  B");
  EXPECT_EQ(List().item(13)->text(), "14  ");
  EXPECT_EQ(Icon(0), riComplete);
  EXPECT_EQ(Icon(1), riMarked);
  EXPECT_EQ(Icon(13), riIncomplete);
  EXPECT_EQ(List().item(1)->data(Qt::AccessibleDescriptionRole).toString(), "marked");
  EXPECT_FALSE(List().item(0)->icon().isNull());
  EXPECT_TRUE(form.Ui().AnsweringLegend->isVisibleTo(&form));
  EXPECT_FALSE(form.Ui().GradedLegend->isVisibleTo(&form));
  QStringList texts;
  for (QLabel* l : form.Ui().AnsweringLegend->findChildren<QLabel*>())
    if (!l->text().isEmpty()) texts << l->text();
  EXPECT_EQ(texts, QStringList({" - incomplete   ", " - complete   ", " - marked   "}));

  // Filled anew: the graded variant of the same answers.
  form.FillReviewList(responses, TReviewVariant::Graded);
  ASSERT_EQ(List().count(), 14);
  EXPECT_EQ(Icon(0), riIncorrect);
  EXPECT_EQ(Icon(1), riComplete);
  EXPECT_EQ(Icon(13), riIncorrect);
  EXPECT_FALSE(form.Ui().AnsweringLegend->isVisibleTo(&form));
  EXPECT_TRUE(form.Ui().GradedLegend->isVisibleTo(&form));
  texts.clear();
  for (QLabel* l : form.Ui().GradedLegend->findChildren<QLabel*>())
    if (!l->text().isEmpty()) texts << l->text();
  EXPECT_EQ(texts, QStringList({" - incorrect item   ", " - correct item   "}));
}

TEST_F(ReviewFormTest, IconsAreSixteenPixelsAndDistinct) {
  std::vector<QImage> images;
  for (TReviewIcon i : {riIncomplete, riComplete, riMarked, riIncorrect}) {
    QPixmap p = ReviewPixmap(i);
    EXPECT_EQ(p.size(), QSize(16, 16));
    images.push_back(p.toImage());
  }
  for (size_t a = 0; a < images.size(); ++a)
    for (size_t b = a + 1; b < images.size(); ++b) EXPECT_NE(images[a], images[b]) << a << " " << b;
}

TEST_F(ReviewFormTest, ChoosingTheTwelfthEntryGoesToRecordTwelve) {
  std::vector<int> went;
  form.OnGoToRecord = [&](int r) { went.push_back(r); };
  form.FillReviewList(responses, TReviewVariant::Answering);
  bool enabledBefore = true, enabledAfter = false;
  WhileShown([&] {
    enabledBefore = form.Ui().BitBtn2->isEnabled();
    List().setCurrentRow(11);
    enabledAfter = form.Ui().BitBtn2->isEnabled();
    form.Ui().BitBtn2->click();
  });
  EXPECT_FALSE(enabledBefore);
  EXPECT_TRUE(enabledAfter);
  EXPECT_EQ(went, std::vector<int>{12});
  EXPECT_FALSE(form.isVisible());

  // Disabled again on the next opening, although the list was not refilled;
  // a double-click without a selection does nothing, with one it goes there.
  WhileShown([&] {
    enabledBefore = form.Ui().BitBtn2->isEnabled();
    List().clearSelection();
    form.ListView1DblClick();
    EXPECT_TRUE(form.isVisible());
    List().setCurrentRow(4);
    emit List().doubleClicked(List().model()->index(4, 0));
  });
  EXPECT_FALSE(enabledBefore);
  EXPECT_EQ(went, (std::vector<int>{12, 5}));

  // "&Return" goes nowhere.
  WhileShown([&] {
    List().setCurrentRow(2);
    form.Ui().BitBtn1->click();
  });
  EXPECT_EQ(went.size(), 2u);
}

}  // namespace
}  // namespace marvessa
