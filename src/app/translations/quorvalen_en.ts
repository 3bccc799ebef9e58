<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>qvl::app::AboutTab</name>
    <message>
        <location filename="../tabs/AboutTab.cpp" line="23"/>
        <source>A disk cataloguer, free to use and share.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/AboutTab.cpp" line="24"/>
        <source>By the Quorvalen developers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/AboutTab.cpp" line="30"/>
        <source>&lt;a href=&quot;readme&quot;&gt;Quorvalen home&lt;/a&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/AboutTab.cpp" line="64"/>
        <source>File Readme.txt not found!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::BrowseTab</name>
    <message>
        <location filename="../tabs/BrowseTab.cpp" line="15"/>
        <source>Browse for file (Ctrl+O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/BrowseTab.cpp" line="33"/>
        <source>Quorval File (*.QVL)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/BrowseTab.h" line="31"/>
        <source>Load from file:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::BrowseView</name>
    <message>
        <location filename="../tabs/BrowseView.cpp" line="183"/>
        <source>Quorval File (*.QVL)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/BrowseView.cpp" line="204"/>
        <source>No catalogue is open to search: open one on the Browse tab first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/BrowseView.cpp" line="211"/>
        <source>Search Mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/BrowseView.cpp" line="230"/>
        <source>Searching...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::CommentDialog</name>
    <message>
        <location filename="../dialogs/CommentDialog.cpp" line="13"/>
        <source>Add file Comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/CommentDialog.h" line="42"/>
        <source>Comment:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/CommentDialog.h" line="44"/>
        <source>Add</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/CommentDialog.h" line="45"/>
        <source>Ignore</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::ErrorReport</name>
    <message>
        <location filename="../ErrorReport.h" line="33"/>
        <source>An unknown error occurred.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::ListModel</name>
    <message>
        <location filename="../model/ListModel.cpp" line="119"/>
        <source>Filename</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../model/ListModel.cpp" line="119"/>
        <source>FileSize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../model/ListModel.cpp" line="120"/>
        <source>Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../model/ListModel.cpp" line="120"/>
        <source>Archive</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::ListViews</name>
    <message>
        <location filename="../tabs/ListViews.cpp" line="85"/>
        <source>Small icons</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/ListViews.cpp" line="86"/>
        <source>List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/ListViews.cpp" line="87"/>
        <source>Report</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::MainWindow</name>
    <message>
        <location filename="../MainWindow.cpp" line="69"/>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="70"/>
        <source>Browse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="71"/>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="72"/>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="73"/>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="190"/>
        <source>The catalogue %1 is in use in the Browse view.
Try again once its work is done.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="196"/>
        <source>Warning! You are trying to write to %1.
This file is already open. Close it first?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../MainWindow.cpp" line="219"/>
        <source>Quorvalen is still at work.
Close it when the work is done?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::NavigationBar</name>
    <message>
        <location filename="../tabs/BrowseBars.cpp" line="55"/>
        <source>Back (Alt+Left, Backspace)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/BrowseBars.cpp" line="58"/>
        <source>Import a catalogue into this one</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/BrowseBars.cpp" line="61"/>
        <source>Search this catalogue (Ctrl+F)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::OutputExistsDialog</name>
    <message>
        <location filename="../dialogs/OutputExistsDialog.cpp" line="6"/>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/OutputExistsDialog.cpp" line="8"/>
        <source>Import</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/OutputExistsDialog.cpp" line="8"/>
        <source>Append</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/OutputExistsDialog.h" line="31"/>
        <source>Output file already exists!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/OutputExistsDialog.h" line="32"/>
        <source>&amp;Overwrite</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../dialogs/OutputExistsDialog.h" line="34"/>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::QuickFindBar</name>
    <message>
        <location filename="../tabs/QuickFindBar.cpp" line="27"/>
        <source>Start search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/QuickFindBar.cpp" line="30"/>
        <source>End search mode (Esc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/QuickFindBar.h" line="32"/>
        <source> Find:  </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::SaveTab</name>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="22"/>
        <source>Collapsed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="22"/>
        <source>Folders only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="23"/>
        <source>Folders and filenames</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="23"/>
        <source>.QVL File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="65"/>
        <source>Browse for File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="149"/>
        <source>Any file format (*.*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="160"/>
        <source>Found file!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="167"/>
        <source>Please enter the name of the output file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="172"/>
        <source>Please choose the drive to list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="197"/>
        <source>Listing complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="211"/>
        <source>%1 folder(s) could not be read and are listed as empty:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.cpp" line="213"/>
        <source>
... and %1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="75"/>
        <source>File Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="77"/>
        <source>List from drive:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="79"/>
        <source>Output to file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="83"/>
        <source>Method</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="88"/>
        <source>Include</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="90"/>
        <source>FileName</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="91"/>
        <source>FileSize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="92"/>
        <source>Plain Text File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="93"/>
        <source>Skip Comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SaveTab.h" line="94"/>
        <source>Create &amp;List</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::SearchTab</name>
    <message>
        <location filename="../tabs/SearchTab.cpp" line="23"/>
        <source>Start Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SearchTab.cpp" line="70"/>
        <source>Total progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SearchTab.h" line="54"/>
        <source>Search for:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../tabs/SearchTab.h" line="56"/>
        <source>in file(s):</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qvl::app::StatusPanels</name>
    <message>
        <location filename="../tabs/BrowseBars.cpp" line="93"/>
        <source>Click (or Enter) to see where the catalogue came from</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
