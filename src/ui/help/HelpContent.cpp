#include "HelpContent.h"

#include "theme/PlatformWords.h"

using namespace Qt::StringLiterals;

namespace threadhop {

QString HelpContent::productPageParagraph(const QString& productPageURL, const QString& fallback)
{
    return productPageURL.isEmpty() ? fallback : productPageURL;
}

std::vector<HelpSection> HelpContent::all(const QString& productPage)
{
    std::vector<HelpSection> sections{
        {u"what"_s,
         u"What Threadhop does"_s,
         {u"Claude Code stores each conversation in a folder named after the directory it was started in. Move "
          u"or rename that directory and `claude --resume` stops finding the conversation, because the name it "
          u"looks for no longer matches."_s,
          u"Threadhop rewrites the recorded location and renames the folder to match, so the conversation is "
          u"reachable again. It shows exactly what it will change before it changes anything."_s}},
        {u"move"_s,
         u"Move a conversation to another folder"_s,
         {u"Select the project, press “Move to…” and choose the folder it should belong to. This works whether "
          u"or not the current location still exists."_s,
          u"A window opens showing where the project is now, where it is going and how many files and "
          u"references will be rewritten. Nothing is written until you press Migrate."_s}},
        {u"repair"_s,
         u"You moved the folder and resume stopped working"_s,
         {u"The project shows “Location missing” and a “Move detected” panel. Point it at the directory's new "
          u"home and migrate."_s,
          u"This is the same operation as a move; the only difference is that the old location is already "
          u"gone."_s}},
        {u"suggestions"_s,
         u"Suggested locations"_s,
         {u"When the recorded directory is missing, Threadhop looks for a directory with the same name in your "
          u"home folder and the usual project folders, and offers what it finds."_s,
          u"A suggestion is only a starting point: check the “To” line in the migration window before you "
          u"press Migrate. A suggestion is a guess from a matching name, not knowledge of where your work "
          u"went."_s}},
        {u"populated"_s,
         u"Moving into a project that already has conversations"_s,
         {u"This is allowed, and it is not a merge. A project folder holds any number of conversations, "
          u"`claude --resume` lists them separately, and moving one in puts it beside the others without "
          u"changing them."_s,
          u"The window gives the real numbers before anything moves — how many conversations are there and "
          u"how many are coming — and the command that opens what is already in that folder, so you can look "
          u"first."_s,
          u"Both folders are archived before the first file moves. If any single file cannot be moved, every "
          u"file that already moved goes back where it came from."_s}},
        {u"ephemeral"_s,
         u"“Temporary location, gone for good”"_s,
         {u"The conversation was started in a directory that macOS creates in order to throw away. That "
          u"location cannot come back, so Threadhop does not count it among the things to fix and does not "
          u"offer to find it."_s,
          u"The conversation itself is intact. “Give it a folder…” relinks it to a directory you choose, which "
          u"makes resume work again."_s}},
        {u"resume"_s,
         u"Resuming after a move"_s,
         {u"After a successful migration the window shows the exact command, with the path already quoted so "
          u"that it survives spaces:"_s,
          u"cd '/path/to/your/project' && claude --resume"_s,
          u"Copy it with the button beside it. The same command is on the project's own page whenever the "
          u"project is ready to resume."_s}},
        {u"safety"_s,
         u"What is written, and what is kept"_s,
         {u"Before anything is rewritten, the conversation folder is archived to a .tar.gz that you can find "
          u"from the migration window. The archive holds the folder exactly as it was."_s,
          u"Only the session's own working directory is rewritten. What tools recorded — the commands that ran "
          u"and what they printed — stays exactly as it was, because that is the record of what happened."_s,
          u"After the rename, Threadhop checks that no reference to the old location remains in what it "
          u"rewrote, and reports a failure rather than a success if any does."_s}},
        {u"history"_s,
         u"Undoing a migration"_s,
         {u"The History button in the toolbar lists every migration that was carried out, together with "
          u"restores and account moves; dry runs change nothing and are not listed. Where a migration can still "
          u"be undone, its row offers Restore; where it cannot, the row says why instead of staying silent."_s,
          u"Undo puts the conversation folder back from the archive taken before the migration, and takes out "
          u"of the new location only what that migration brought there: conversations started there since, and "
          u"those that other migrations brought, stay. What is taken out is archived first, so anything added to "
          u"it afterwards is recoverable, though no longer in place."_s,
          u"A migration that has been moved on from cannot be undone: if the conversations moved again after "
          u"it, putting the old folder back would add a copy rather than restore anything, so Threadhop "
          u"refuses and says so."_s}},
        {u"support"_s, u"Support"_s, {productPage}},
    };
    for (auto& section : sections) {
        for (auto& paragraph : section.paragraphs)
            paragraph = PlatformWords::say(paragraph);
    }
    return sections;
}

bool HelpContent::isCommand(const QString& paragraph)
{
    return paragraph.startsWith(u"cd "_s);
}

} // namespace threadhop
