<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>EditorWindow</name>
    <message>
        <source>&amp;File</source>
        <translation>파일(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>열기(&amp;O)...</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>저장(&amp;S)</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>다른 이름으로 저장(&amp;A)...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>끝내기(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>편집(&amp;E)</translation>
    </message>
    <message>
        <source>Insert &amp;Section...</source>
        <translation>섹션 삽입(&amp;S)...</translation>
    </message>
    <message>
        <source>Insert &amp;Entry...</source>
        <translation>항목 삽입(&amp;E)...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>삭제(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Properties...</source>
        <translation>속성(&amp;P)...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>도움말(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About Mantlery...</source>
        <translation>Mantlery 정보(&amp;A)...</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>오류</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>제목 없음</translation>
    </message>
    <message>
        <source>Cannot load wps file </source>
        <translation>wps 파일을 열 수 없습니다: </translation>
    </message>
    <message>
        <source>Open</source>
        <translation>열기</translation>
    </message>
    <message>
        <source>Skin files (*.wps);;All files (*)</source>
        <translation>스킨 파일 (*.wps);;모든 파일 (*)</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>다른 이름으로 저장</translation>
    </message>
    <message>
        <source>Failed to save file!</source>
        <translation>파일을 저장하지 못했습니다!</translation>
    </message>
    <message>
        <source>Section name is empty!</source>
        <translation>섹션 이름이 비어 있습니다!</translation>
    </message>
    <message>
        <source>Invalid section name!</source>
        <translation>섹션 이름이 올바르지 않습니다!</translation>
    </message>
    <message>
        <source>Section already exists!</source>
        <translation>이미 있는 섹션입니다!</translation>
    </message>
    <message>
        <source>Entry name is empty!</source>
        <translation>항목 이름이 비어 있습니다!</translation>
    </message>
    <message>
        <source>Cannot create entry!</source>
        <translation>항목을 만들 수 없습니다!</translation>
    </message>
    <message>
        <source>Are you sure you want to delete Entry %1?</source>
        <translation>항목 %1을(를) 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete Section %1?</source>
        <translation>섹션 %1을(를) 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>경고</translation>
    </message>
    <message>
        <source>Error deleting Entry %1.</source>
        <translation>항목 %1을(를) 삭제하는 중 오류가 발생했습니다.</translation>
    </message>
    <message>
        <source>Error deleting Section %1.</source>
        <translation>섹션 %1을(를) 삭제하는 중 오류가 발생했습니다.</translation>
    </message>
    <message>
        <source>About Mantlery</source>
        <translation>Mantlery 정보</translation>
    </message>
    <message>
        <source>&lt;b&gt;Mantlery&lt;/b&gt; %1&lt;p&gt;The skin editor of Sonvale: edits skin files (*.wps) as sections of key=value entries.&lt;/p&gt;</source>
        <translation>&lt;b&gt;Mantlery&lt;/b&gt; %1&lt;p&gt;Sonvale의 스킨 편집기: 스킨 파일(*.wps)을 키=값 항목이 든 섹션으로 편집합니다.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>The skin file has been modified.
Do you want to save your changes?</source>
        <translation>스킨 파일이 수정되었습니다.
변경 내용을 저장하시겠습니까?</translation>
    </message>
</context>
<context>
    <name>SectionDialog</name>
    <message>
        <source>Insert Section</source>
        <translation>섹션 삽입</translation>
    </message>
    <message>
        <source>Section:</source>
        <translation>섹션:</translation>
    </message>
</context>
<context>
    <name>EntryDialog</name>
    <message>
        <source>Insert Entry</source>
        <translation>항목 삽입</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>속성</translation>
    </message>
    <message>
        <source>Section:</source>
        <translation>섹션:</translation>
    </message>
    <message>
        <source>Entry:</source>
        <translation>항목:</translation>
    </message>
    <message>
        <source>Value:</source>
        <translation>값:</translation>
    </message>
</context>
</TS>
