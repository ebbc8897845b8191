<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>MainMenu</name>
    <message>
        <source>File</source>
        <translation>파일</translation>
    </message>
    <message>
        <source>Open Files...</source>
        <translation>파일 열기...</translation>
    </message>
    <message>
        <source>Open Folder...</source>
        <translation>폴더 열기...</translation>
    </message>
    <message>
        <source>Open URL...</source>
        <translation>URL 열기...</translation>
    </message>
    <message>
        <source>Delete File...</source>
        <translation>파일 삭제...</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>종료</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>재생</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>일시정지</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>정지</translation>
    </message>
    <message>
        <source>Last Track</source>
        <translation>이전 트랙</translation>
    </message>
    <message>
        <source>Next Track</source>
        <translation>다음 트랙</translation>
    </message>
    <message>
        <source>Shuffle/Repeat</source>
        <translation>셔플/반복</translation>
    </message>
    <message>
        <source>Speed/A&lt;-&gt;B</source>
        <translation>속도/구간반복</translation>
    </message>
    <message>
        <source>Playlist...</source>
        <translation>재생 목록...</translation>
    </message>
    <message>
        <source>Playback Speed...</source>
        <translation>재생 속도...</translation>
    </message>
    <message>
        <source>Lyrics</source>
        <translation>가사</translation>
    </message>
    <message>
        <source>Download Lyrics...</source>
        <translation>가사 다운로드...</translation>
    </message>
    <message>
        <source>Search Lyrics...</source>
        <translation>가사 검색...</translation>
    </message>
    <message>
        <source>Show Lyrics...</source>
        <translation>가사 보기...</translation>
    </message>
    <message>
        <source>Sync Lyrics</source>
        <translation>가사 싱크</translation>
    </message>
    <message>
        <source>Keep Sync Time</source>
        <translation>싱크 시간 유지</translation>
    </message>
    <message>
        <source>0.5 Sec Faster</source>
        <translation>0.5초 빠르게</translation>
    </message>
    <message>
        <source>Default Sync</source>
        <translation>기본 싱크</translation>
    </message>
    <message>
        <source>0.5 Sec Slower</source>
        <translation>0.5초 느리게</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>즐겨듣기</translation>
    </message>
    <message>
        <source>Enable Favorites</source>
        <translation>즐겨듣기 사용</translation>
    </message>
    <message>
        <source>Add Favorites</source>
        <translation>즐겨듣기 추가</translation>
    </message>
    <message>
        <source>Edit Favorites...</source>
        <translation>즐겨듣기 편집...</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>도구</translation>
    </message>
    <message>
        <source>Sleep Timer...</source>
        <translation>취침 예약...</translation>
    </message>
    <message>
        <source>Sound Effects...</source>
        <translation>음향 효과...</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>환경 설정...</translation>
    </message>
    <message>
        <source>Always on top</source>
        <translation>항상 위</translation>
    </message>
    <message>
        <source>About Sonvale...</source>
        <translation>Sonvale 정보...</translation>
    </message>
</context>
</TS>
