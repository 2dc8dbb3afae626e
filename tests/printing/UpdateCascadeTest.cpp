#include "JobFixture.h"

#include <memory>
#include <stdexcept>

using namespace printing;
using tolv::test::JobTest;

namespace {

using Log = std::vector<std::string>;

// Records its updates in a shared log, and may throw from them.
class Recorder {
public:
    Recorder(Log& log, std::string name, bool throws) : log_(log), name_(std::move(name)), throws_(throws) {}
    void Record(const std::string& what = {})
    {
        log_.push_back(name_ + what);
        if (what.empty() && throws_)
            throw std::runtime_error(name_);
    }

private:
    Log& log_;
    std::string name_;
    bool throws_;
};

// A job linked as a draft job of another.
class DraftStandIn : public TPrintJob {
public:
    DraftStandIn(Log& log, std::string name, bool throws = false) : recorder_(log, std::move(name), throws) {}
    ~DraftStandIn() override
    {
        if (source_)
            source_->UnregisterDraftJob(this);
    }
    void Link(TCustomPrintJob& source)
    {
        source_ = &source;
        source.RegisterDraftJob(this);
    }
    TCustomPrintJob* Source() const { return source_; }
    void Update() override { recorder_.Record(); }

protected:
    void PrintJobRemoved(TCustomPrintJob& job) override
    {
        recorder_.Record(" lost its source");
        job.UnregisterDraftJob(this);
        source_ = nullptr;
    }

private:
    Recorder recorder_;
    TCustomPrintJob* source_ = nullptr;
};

class PreviewStandIn : public TPreviewLink {
public:
    PreviewStandIn(Log& log, std::string name, bool throws = false) : recorder_(log, std::move(name), throws) {}
    ~PreviewStandIn()
    {
        if (job_)
            job_->UnregisterPreview(this);
    }
    void Show(TCustomPrintJob& job)
    {
        job_ = &job;
        job.RegisterPreview(this);
    }
    TCustomPrintJob* Job() const { return job_; }
    void Update() override { recorder_.Record(); }
    void PrintJobRemoved(TCustomPrintJob& job) override
    {
        recorder_.Record(" lost its job");
        job.UnregisterPreview(this);
        job_ = nullptr;
    }

private:
    Recorder recorder_;
    TCustomPrintJob* job_ = nullptr;
};

class CascadeTest : public JobTest {
protected:
    CascadeTest()
    {
        job.OnUpdate = [this](TCustomPrintJob&) { log.push_back("OnUpdate"); };
    }
    Log log;
};

} // namespace

TEST_F(CascadeTest, DraftJobsThenPreviewsThenOnUpdateEachFailureSwallowed)
{
    DraftStandIn d1(log, "draft 1", true), d2(log, "draft 2");
    PreviewStandIn p1(log, "preview 1", true), p2(log, "preview 2");
    d1.Link(job);
    d2.Link(job);
    p1.Show(job);
    p2.Show(job);
    // The margins are checked (and fixed) before anyone is told.
    job.SetOptions({joMargins});   // runs one cascade
    EXPECT_EQ(job.Margins(), (TMargins{90, 40, 60, 60}));
    EXPECT_EQ(log, (Log{"draft 1", "draft 2", "preview 1", "preview 2", "OnUpdate"}));

    log.clear();
    job.LockDraftNotify();
    job.Update();
    EXPECT_EQ(log, (Log{"preview 1", "preview 2", "OnUpdate"}));
    job.UnlockDraftNotify();
    log.clear();
    job.Update();
    EXPECT_EQ(log.size(), 5u);
}

TEST_F(CascadeTest, WhileLockedUpdateDoesNothingAtAll)
{
    PreviewStandIn p(log, "preview");
    p.Show(job);
    {
        UpdateLockGuard lock(job);
        EXPECT_TRUE(job.IsUpdateLocked());
        job.SetPageCount(3);
        job.SetOrientation(orLandscape);
        job.Update();
        EXPECT_TRUE(log.empty());
    }
    EXPECT_FALSE(job.IsUpdateLocked());
    // The guard lowers the lock when an exception passes, and an unpaired
    // unlock does not take the counter below zero.
    try {
        UpdateLockGuard lock(job);
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    job.UnlockUpdate();
    job.LockUpdate();
    EXPECT_TRUE(job.IsUpdateLocked());
    job.UnlockUpdate();
    job.Update();
    EXPECT_EQ(log, (Log{"preview", "OnUpdate"}));
}

TEST_F(CascadeTest, APageCountSetInOnUpdateRedrawsThePreviewsOnce)
{
    PreviewStandIn p(log, "preview");
    p.Show(job);
    job.OnUpdate = [this](TCustomPrintJob& sender) {
        log.push_back("OnUpdate");
        sender.SetPageCount(4);
    };
    job.Update();
    EXPECT_EQ(log, (Log{"preview", "OnUpdate", "preview", "OnUpdate"}));
    EXPECT_EQ(job.PageCount(), 4);
}

TEST_F(CascadeTest, LinksAreKeptOnceAndForgottenWhenTheJobGoes)
{
    PreviewStandIn p(log, "preview");
    DraftStandIn d(log, "draft");
    auto source = std::make_unique<TPrintJob>();
    p.Show(*source);
    source->RegisterPreview(&p);
    d.Link(*source);
    source->RegisterDraftJob(&d);
    EXPECT_EQ(source->Previews().size(), 1u);
    EXPECT_EQ(source->DraftJobs().size(), 1u);
    PreviewStandIn stranger(log, "stranger");
    source->UnregisterPreview(&stranger);
    source->UnregisterDraftJob(&job);
    EXPECT_EQ(source->Previews().size(), 1u);

    source->OnDestroy = [this](TCustomPrintJob&) {
        log.push_back("OnDestroy");
        throw std::runtime_error("swallowed");
    };
    EXPECT_NO_THROW(source.reset());
    EXPECT_EQ(log, (Log{"OnDestroy", "draft lost its source", "preview lost its job"}));
    EXPECT_EQ(p.Job(), nullptr);
    EXPECT_EQ(d.Source(), nullptr);
}

TEST_F(CascadeTest, ADraftJobDestroyedFirstLeavesNoLinkBehind)
{
    {
        DraftStandIn d(log, "draft");
        d.Link(job);
    }
    EXPECT_TRUE(job.DraftJobs().empty());
    job.Update();
    EXPECT_EQ(log, (Log{"OnUpdate"}));
}
