// A fixture for tests that use the product's real list of running instances.
#pragma once

#include "instances/instance_list.h"
#include "product/product_names.h"

#include "support/raw_instance_list.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace glt::test {

// Keeps the real list alive for the test and starts it empty: entries left by processes that
// were terminated earlier must not leak into the next test.
class RealInstanceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        keeper_ = std::make_unique<COXInstanceManager>(product::kInstanceListName, 1024, false);
        raw_ = std::make_unique<RawInstanceList>(product::kInstanceListName);
        ASSERT_TRUE(raw_->ok());
        raw_->Reset({});
    }
    RawInstanceList& raw() { return *raw_; }

    TempDir dir_;

private:
    std::unique_ptr<COXInstanceManager> keeper_;
    std::unique_ptr<RawInstanceList> raw_;
};

}  // namespace glt::test
