#pragma once

#include "model/LayoutModel.h"

#include <QString>
#include <optional>

namespace stellwick {

inline const QString settingsUnreadableWarning =
    QStringLiteral("設定ファイルを読み込めません。元データを保護するため変更の保存を停止しました。");

struct LoadResult {
    StellwickState state;
    std::optional<QString> warning; // absent when all is well
    bool canSave = true;            // false when a file was present but unusable
};

// Reads the settings file once at start-up and rewrites it whole after each
// change. A file that exists but cannot be used is never written: load hands
// back a fresh state with canSave false, and the caller stops saving.
class ProfileStore {
public:
    // $XDG_DATA_HOME/<app id>/profiles.json (~/.local/share when unset).
    static QString defaultFilePath();

    explicit ProfileStore(QString filePath = defaultFilePath());

    const QString& filePath() const { return m_filePath; }

    // Never fails; `now` stamps the fresh state when the file is missing or
    // unusable. Removes temporaries that killed saves left behind.
    LoadResult load(Date now) const;

    // What load gives for a file holding `bytes`: the state when the bytes are
    // a usable settings file, else a fresh state that must never be saved.
    static LoadResult interpret(const QByteArray& bytes, Date now);

    // Creates the folder (0700) when needed and replaces the file atomically
    // (0600): a crash leaves the old or the new file, never a mix. Returns the
    // error description on failure, with the previous file left as it was.
    std::optional<QString> save(const StellwickState& state) const;

private:
    QString m_filePath;
};

} // namespace stellwick
