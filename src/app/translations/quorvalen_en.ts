<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>qvl::app::AboutTab</name>
    <message>
        <source>A disk cataloguer, free to use and share.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>By the Quorvalen developers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;a href=&quot;readme&quot;&gt;Quorvalen home&lt;/a&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Readme.txt not found!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::BrowseTab</name>
    <message>
        <source>Browse for file (Ctrl+O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quorval File (*.QVL)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load from file:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::BrowseView</name>
    <message>
        <source>Quorval File (*.QVL)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No catalogue is open to search: open one on the Browse tab first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::CommentDialog</name>
    <message>
        <source>Add file Comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comment:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::ErrorReport</name>
    <message>
        <source>An unknown error occurred.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::ListModel</name>
    <message>
        <source>Filename</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FileSize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Archive</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::ListViews</name>
    <message>
        <source>Small icons</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Report</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::MainWindow</name>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The catalogue %1 is in use in the Browse view.
Try again once its work is done.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning! You are trying to write to %1.
This file is already open. Close it first?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quorvalen is still at work.
Close it when the work is done?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::NavigationBar</name>
    <message>
        <source>Back (Alt+Left, Backspace)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import a catalogue into this one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search this catalogue (Ctrl+F)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::OutputExistsDialog</name>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Append</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output file already exists!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Overwrite</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::QuickFindBar</name>
    <message>
        <source>Start search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>End search mode (Esc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Find:  </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::SaveTab</name>
    <message>
        <source>Collapsed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folders only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folders and filenames</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>.QVL File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse for File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Any file format (*.*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Found file!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter the name of the output file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the drive to list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Listing complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 folder(s) could not be read and are listed as empty:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
... and %1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List from drive:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Output to file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Method</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Include</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FileName</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FileSize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Plain Text File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Skip Comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create &amp;List</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::SearchTab</name>
    <message>
        <source>Start Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Total progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search for:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in file(s):</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::StatusPanels</name>
    <message>
        <source>Click (or Enter) to see where the catalogue came from</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
