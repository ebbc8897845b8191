<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR">
<context>
    <name>AboutPage</name>
    <message>
        <source>About</source>
        <translation>정보</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>버전 %1</translation>
    </message>
    <message>
        <source>Korean</source>
        <translation>한국어</translation>
    </message>
    <message>
        <source>English</source>
        <translation>영어</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>언어:</translation>
    </message>
</context>
<context>
    <name>ChildView</name>
    <message>
        <source>None</source>
        <translation>반복없음</translation>
    </message>
    <message>
        <source>One</source>
        <translation>단일파일</translation>
    </message>
    <message>
        <source>All</source>
        <translation>재생목록</translation>
    </message>
    <message>
        <source>Lyricslist</source>
        <translation>가사보기</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>설정</translation>
    </message>
    <message>
        <source>About Sonvale</source>
        <translation>Sonvale 정보</translation>
    </message>
    <message>
        <source>All supported types|*.mp2;*.mp3;*.ogg;*.wma;*.asf;*.wav;*.wpl|Mpeg Layer2 Audio Files (*.mp2)|*.mp2|Mpeg Layer3 Audio Files (*.mp3)|*.mp3|Ogg Vorbis Audio Files (*.ogg)|*.ogg|WMA Audio Files (*.wma)|*.wma|ASF Audio Files (.asf)|*.asf|Wave Audio Files (*.wav)|*.wav|Playlist Files (*.wpl)|*.wpl|</source>
        <translation>지원하는 모든 형식|*.mp2;*.mp3;*.ogg;*.wma;*.asf;*.wav;*.wpl|MPEG Layer2 오디오 파일 (*.mp2)|*.mp2|MPEG Layer3 오디오 파일 (*.mp3)|*.mp3|Ogg Vorbis 오디오 파일 (*.ogg)|*.ogg|WMA 오디오 파일 (*.wma)|*.wma|ASF 오디오 파일 (*.asf)|*.asf|Wave 오디오 파일 (*.wav)|*.wav|재생목록 파일 (*.wpl)|*.wpl|</translation>
    </message>
    <message>
        <source>All supported types|*.mp2;*.mp3;*.ogg;*.wav;*.wpl|Mpeg Layer2 Audio Files (*.mp2)|*.mp2|Mpeg Layer3 Audio Files (*.mp3)|*.mp3|Ogg Vorbis Audio Files (*.ogg)|*.ogg|Wave Audio Files (*.wav)|*.wav|Playlist Files (*.wpl)|*.wpl|</source>
        <translation>지원하는 모든 형식|*.mp2;*.mp3;*.ogg;*.wav;*.wpl|MPEG Layer2 오디오 파일 (*.mp2)|*.mp2|MPEG Layer3 오디오 파일 (*.mp3)|*.mp3|Ogg Vorbis 오디오 파일 (*.ogg)|*.ogg|Wave 오디오 파일 (*.wav)|*.wav|재생목록 파일 (*.wpl)|*.wpl|</translation>
    </message>
    <message>
        <source>Open Audio Files</source>
        <translation>오디오 파일 열기</translation>
    </message>
</context>
<context>
    <name>CpuProfileDialog</name>
    <message>
        <source>CPU Profile</source>
        <translation>CPU 프로파일</translation>
    </message>
    <message>
        <source>Equalizer spectrum on</source>
        <translation>이퀄라이저 스펙트럼 켜기</translation>
    </message>
    <message>
        <source>Equalizer spectrum and title scrolling off
(To minimize the CPU usage rate)</source>
        <translation>이퀄라이저 스펙트럼과 제목 스크롤 끄기
(CPU 사용률을 줄이기 위해)</translation>
    </message>
</context>
<context>
    <name>CpuUsagePage</name>
    <message>
        <source>CPU Usage	: %d%% (%d%%)
Memory Used	: %dKB/%dKB</source>
        <translation>CPU 사용률	: %d%% (%d%%)
메모리 사용량	: %dKB/%dKB</translation>
    </message>
    <message>
        <source>Resource Usage</source>
        <translation>리소스 사용량</translation>
    </message>
    <message>
        <source>Resource Usage (Sonvale: %d KB)</source>
        <translation>리소스 사용량 (Sonvale: %d KB)</translation>
    </message>
</context>
<context>
    <name>DecoderMessages</name>
    <message>
        <source>Decorder initialize failed. (Decorder dll file load faild)</source>
        <translation>디코더 초기화 실패. (디코더 DLL 파일 로드 실패)</translation>
    </message>
    <message>
        <source>Decorder initialize failed. (Decoder initialize faild)</source>
        <translation>디코더 초기화 실패. (디코더 초기화 실패)</translation>
    </message>
    <message>
        <source>Decorder initialize failed. (Decoder buffer failed)</source>
        <translation>디코더 초기화 실패. (디코더 버퍼 설정 실패)</translation>
    </message>
    <message>
        <source>Decorder initialize failed. (Decoder initialize retry failed)</source>
        <translation>디코더 초기화 실패. (디코더 초기화 재시도 실패)</translation>
    </message>
    <message>
        <source>Decorder initialize failed. (Decoder library initialize faild)</source>
        <translation>디코더 초기화 실패. (디코더 라이브러리 초기화 실패)</translation>
    </message>
    <message>
        <source>Decorder initialize failed. (VU-Meter DSP unit initialize failed)</source>
        <translation>디코더 초기화 실패. (VU 미터 DSP 유닛 초기화 실패)</translation>
    </message>
    <message>
        <source>Decorder initialize failed. (Spectrum DSP unit initialize failed)</source>
        <translation>디코더 초기화 실패. (스펙트럼 DSP 유닛 초기화 실패)</translation>
    </message>
    <message>
        <source>Decorder initialize failed. (DSP unit initialize failed)</source>
        <translation>디코더 초기화 실패. (DSP 유닛 초기화 실패)</translation>
    </message>
    <message>
        <source>Decoder Error</source>
        <translation>디코더 에러</translation>
    </message>
</context>
<context>
    <name>DecoderPage</name>
    <message>
        <source>Decoder</source>
        <translation>디코더</translation>
    </message>
    <message>
        <source>Stream Buffer (Milliseconds)</source>
        <translation>스트림 버퍼 (밀리초)</translation>
    </message>
    <message>
        <source>Mixing Buffer (Milliseconds)</source>
        <translation>믹싱 버퍼 (밀리초)</translation>
    </message>
    <message>
        <source>※ The Mixing Buffer change value
    will be effective at restart</source>
        <translation>※ 믹싱 버퍼 변경 값은
    재시작 후에 적용됩니다</translation>
    </message>
</context>
<context>
    <name>EqualizerPage</name>
    <message>
        <source>Equalizer</source>
        <translation>이퀄라이저</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>저음</translation>
    </message>
    <message>
        <source>High</source>
        <translation>고음</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>사용</translation>
    </message>
    <message>
        <source>Flat</source>
        <translation>평탄하게</translation>
    </message>
</context>
<context>
    <name>FavoritesDialog</name>
    <message>
        <source>Edit Favorites</source>
        <translation>즐겨듣기 편집</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>경로</translation>
    </message>
    <message>
        <source>Sonvale Error</source>
        <translation>Sonvale 에러</translation>
    </message>
    <message>
        <source>File is not selected in list.</source>
        <translation>재생목록에 선택된 파일이 없습니다.</translation>
    </message>
</context>
<context>
    <name>FileAssocPage</name>
    <message>
        <source>File Associations</source>
        <translation>파일 연결</translation>
    </message>
    <message>
        <source>Open these file types with Sonvale:</source>
        <translation>Sonvale로 열 파일 형식:</translation>
    </message>
    <message>
        <source>MP2 Audio File</source>
        <translation>MP2 오디오 파일</translation>
    </message>
    <message>
        <source>MP3 Audio File</source>
        <translation>MP3 오디오 파일</translation>
    </message>
    <message>
        <source>Ogg Vorbis File</source>
        <translation>Ogg Vorbis 파일</translation>
    </message>
    <message>
        <source>WMA Audio File</source>
        <translation>WMA 오디오 파일</translation>
    </message>
    <message>
        <source>ASF Audio File</source>
        <translation>ASF 오디오 파일</translation>
    </message>
    <message>
        <source>Wave File</source>
        <translation>Wave 파일</translation>
    </message>
    <message>
        <source>Play List File</source>
        <translation>재생 목록 파일</translation>
    </message>
</context>
<context>
    <name>FontPage</name>
    <message>
        <source>Font</source>
        <translation>글꼴</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>기본</translation>
    </message>
    <message>
        <source>Display</source>
        <translation>화면 표시</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>재생 목록</translation>
    </message>
    <message>
        <source>Lyrics list</source>
        <translation>가사 목록</translation>
    </message>
    <message>
        <source>Lyrics</source>
        <translation>가사</translation>
    </message>
    <message>
        <source>Next lyrics line</source>
        <translation>다음 가사 줄</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>즐겨듣기</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>굵게</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>기울임꼴</translation>
    </message>
    <message>
        <source>Underline</source>
        <translation>밑줄</translation>
    </message>
    <message>
        <source>ClearType</source>
        <translation>ClearType</translation>
    </message>
    <message>
        <source>Font Color</source>
        <translation>글꼴 색</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>종류:</translation>
    </message>
    <message>
        <source>Font:</source>
        <translation>글꼴:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>크기:</translation>
    </message>
    <message>
        <source>ABCDEFGHIJKLMNOPQRSTUVWXYZ
abcdefghijklmnopqrstuvwxyz
1234567890.:,;(:*!?&apos;
The quick brown fox jumps
over the lazy dog.</source>
        <translation>ABCDEFGHIJKLMNOPQRSTUVWXYZ
abcdefghijklmnopqrstuvwxyz
1234567890.:,;(:*!?&apos;
가나다라마바사아자차카타파하
다람쥐 헌 쳇바퀴에 타고파.</translation>
    </message>
    <message>
        <source>Enter a size from %1 to %2.</source>
        <translation>크기는 %1에서 %2 사이로 입력하십시오.</translation>
    </message>
</context>
<context>
    <name>GeneralPage</name>
    <message>
        <source>Preferences</source>
        <translation>환경 설정</translation>
    </message>
    <message>
        <source>Load previous Playlist</source>
        <translation>이전 재생 목록 불러오기</translation>
    </message>
    <message>
        <source>Start playback at startup</source>
        <translation>시작할 때 재생</translation>
    </message>
    <message>
        <source>Resume (Save position and track)</source>
        <translation>이어서 재생 (위치와 곡 저장)</translation>
    </message>
    <message>
        <source>Scroll title</source>
        <translation>제목 스크롤</translation>
    </message>
    <message>
        <source>Show lyrics on the main screen</source>
        <translation>메인 화면에 가사 표시</translation>
    </message>
    <message>
        <source>Use multi-sentence lyrics</source>
        <translation>여러 줄 가사 사용</translation>
    </message>
    <message>
        <source>Use &quot;/&quot; as a line feed in lyrics</source>
        <translation>가사에서 &quot;/&quot;를 줄바꿈으로 사용</translation>
    </message>
    <message>
        <source>Seek at intervals of lyrics time</source>
        <translation>가사 시간 간격으로 탐색</translation>
    </message>
    <message>
        <source>Don&apos;t use system power settings</source>
        <translation>시스템 전원 설정 사용 안 함</translation>
    </message>
    <message>
        <source>Display separator icon in Lyricslist</source>
        <translation>가사 목록에 구분 아이콘 표시</translation>
    </message>
    <message>
        <source>Use system volume</source>
        <translation>시스템 볼륨 사용</translation>
    </message>
    <message>
        <source>VBR-MP3 accurate time measurement</source>
        <translation>VBR-MP3 정확한 시간 측정</translation>
    </message>
    <message>
        <source>Display warning about VBR-MP3</source>
        <translation>VBR-MP3 경고 표시</translation>
    </message>
    <message>
        <source>Use auto display-off control</source>
        <translation>자동 화면 끄기 사용</translation>
    </message>
    <message>
        <source>Suppress zero samples</source>
        <translation>무음 샘플 제거</translation>
    </message>
    <message>
        <source>Decoder restart at power on</source>
        <translation>전원을 켤 때 디코더 재시작</translation>
    </message>
    <message>
        <source>Use default decoder</source>
        <translation>기본 디코더 사용</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>옵션</translation>
    </message>
    <message>
        <source>Seek Interval (Seconds)</source>
        <translation>탐색 간격 (초)</translation>
    </message>
    <message>
        <source>1x</source>
        <translation>1배</translation>
    </message>
    <message>
        <source>1.5x</source>
        <translation>1.5배</translation>
    </message>
    <message>
        <source>2x</source>
        <translation>2배</translation>
    </message>
    <message>
        <source>&amp;Zoom (when Sonvale starts again):</source>
        <translation>확대 배율(&amp;Z) (Sonvale를 다시 시작하면 적용):</translation>
    </message>
</context>
<context>
    <name>GlobalShortcuts</name>
    <message>
        <source>Sonvale: %1 (%2)</source>
        <translation>Sonvale: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>KeyCaptureDialog</name>
    <message>
        <source>Auto Map</source>
        <translation>자동 맵핑</translation>
    </message>
    <message>
        <source>Press the button to map.
Press it twice quickly for a double press.</source>
        <translation>맵핑할 버튼을 누르세요.
두 번 빠르게 누르면 더블 클릭이 됩니다.</translation>
    </message>
</context>
<context>
    <name>KeyFunctions</name>
    <message>
        <source>Play</source>
        <translation>재생</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>정지</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>일시정지</translation>
    </message>
    <message>
        <source>Play/Stop</source>
        <translation>재생/정지</translation>
    </message>
    <message>
        <source>Play/Pause</source>
        <translation>재생/일시정지</translation>
    </message>
    <message>
        <source>Previous Track</source>
        <translation>이전 트랙</translation>
    </message>
    <message>
        <source>Next Track</source>
        <translation>다음 트랙</translation>
    </message>
    <message>
        <source>Rewind</source>
        <translation>뒤로 건너뛰기</translation>
    </message>
    <message>
        <source>Fast Forward</source>
        <translation>앞으로 건너뛰기</translation>
    </message>
    <message>
        <source>Volume Up</source>
        <translation>볼륨 키우기</translation>
    </message>
    <message>
        <source>Volume Down</source>
        <translation>불륨 줄이기</translation>
    </message>
    <message>
        <source>Repeat Section (A&lt;-&gt;B)</source>
        <translation>구간반복</translation>
    </message>
    <message>
        <source>Mute On/Off</source>
        <translation>소리 켜기/끄기</translation>
    </message>
    <message>
        <source>Display On/Off</source>
        <translation>화면 켜기/끄기</translation>
    </message>
    <message>
        <source>Power Off</source>
        <translation>전원 끄기</translation>
    </message>
    <message>
        <source>Play Speed Up</source>
        <translation>재생 속도 증가</translation>
    </message>
    <message>
        <source>Play Speed Down</source>
        <translation>재생 속도 감소</translation>
    </message>
    <message>
        <source>Delete File (Playlist)</source>
        <translation>파일 삭제</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>파일 열기</translation>
    </message>
    <message>
        <source>Exit Sonvale</source>
        <translation>Sonvale 종료</translation>
    </message>
    <message>
        <source>Hold On/Off</source>
        <translation>Hold 켜기/끄기</translation>
    </message>
    <message>
        <source>Activate Sonvale</source>
        <translation>Sonvale 활성화</translation>
    </message>
    <message>
        <source>Show Playlist</source>
        <translation>재생 목록 표시</translation>
    </message>
    <message>
        <source>Alarm Time</source>
        <translation>시간 알림</translation>
    </message>
    <message>
        <source>Shuffle On/Off</source>
        <translation>Shuffle 켜기/끄기</translation>
    </message>
    <message>
        <source>Undefined</source>
        <translation>Undefined</translation>
    </message>
</context>
<context>
    <name>KeyMapPage</name>
    <message>
        <source>Button map</source>
        <translation>버튼 맵핑</translation>
    </message>
    <message>
        <source>Button</source>
        <translation>버튼</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>기능</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>코드</translation>
    </message>
    <message>
        <source>Keep the buttons working while another program is in front</source>
        <translation>다른 프로그램이 앞에 있을 때도 버튼 사용</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>위로</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>아래로</translation>
    </message>
    <message>
        <source>Auto Map</source>
        <translation>자동 맵핑</translation>
    </message>
    <message>
        <source>Manual Map</source>
        <translation>수동 맵핑</translation>
    </message>
    <message>
        <source>Unmap</source>
        <translation>맵핑 해제</translation>
    </message>
    <message>
        <source>Unmap All</source>
        <translation>전체 맵핑 해제</translation>
    </message>
    <message>
        <source>Initialization</source>
        <translation>맵핑 초기화</translation>
    </message>
    <message>
        <source>Function:</source>
        <translation>기능:</translation>
    </message>
</context>
<context>
    <name>LyricsDownloadDialog</name>
    <message>
        <source>Download Lyrics</source>
        <translation>가사 다운로드</translation>
    </message>
    <message>
        <source>Append the second line of the same time</source>
        <translation>같은 시간의 두 번째 줄 붙이기</translation>
    </message>
    <message>
        <source>Append the third line of the same time</source>
        <translation>같은 시간의 세 번째 줄 붙이기</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>곡</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>결과</translation>
    </message>
    <message>
        <source>The lyrics are saved as an LRC file beside each track.</source>
        <translation>가사는 각 곡과 같은 폴더에 LRC 파일로 저장됩니다.</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>다운로드</translation>
    </message>
    <message>
        <source>Downloading lyrics...</source>
        <translation>가사 다운로드중...</translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation>대기 중</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>다운로드 중...</translation>
    </message>
    <message>
        <source>Lyrics saved</source>
        <translation>가사 저장됨</translation>
    </message>
    <message>
        <source>No lyrics received</source>
        <translation>가사를 받지 못함</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>취소됨</translation>
    </message>
    <message>
        <source>Cancelled: %1 of %2 tracks got lyrics.</source>
        <translation>취소됨: %2곡 중 %1곡의 가사를 받았습니다.</translation>
    </message>
    <message>
        <source>Done: %1 of %2 tracks got lyrics.</source>
        <translation>완료: %2곡 중 %1곡의 가사를 받았습니다.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Stopping after the track being downloaded...</source>
        <translation>지금 받는 곡이 끝나면 멈춥니다...</translation>
    </message>
</context>
<context>
    <name>LyricsListPage</name>
    <message>
        <source>Lyrics</source>
        <translation>가사</translation>
    </message>
    <message>
        <source>No lyrics data.</source>
        <translation>가사 데이터 없음</translation>
    </message>
    <message>
        <source>Play Lyrics</source>
        <translation>가사 재생</translation>
    </message>
    <message>
        <source>Sonvale</source>
        <translation>Sonvale</translation>
    </message>
    <message>
        <source>Please click or double-click the lyrics to play.</source>
        <translation>재생할 가사를 클릭 또는 더블클릭해 주세요.</translation>
    </message>
    <message>
        <source>Sync Lyrics</source>
        <translation>가사 싱크</translation>
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
        <source>View Position</source>
        <translation>가사 위치</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>상단</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>하단</translation>
    </message>
</context>
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
        <source>Release Favorites</source>
        <translation>즐겨듣기 해제</translation>
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
    <message>
        <source>CPU Profile...</source>
        <translation>CPU 프로파일...</translation>
    </message>
</context>
<context>
    <name>ManualKeyDialog</name>
    <message>
        <source>Button Map</source>
        <translation>버튼 맵핑</translation>
    </message>
    <message>
        <source>Button:</source>
        <translation>버튼:</translation>
    </message>
    <message>
        <source>Function:</source>
        <translation>기능:</translation>
    </message>
</context>
<context>
    <name>MixerPage</name>
    <message>
        <source>Mixer</source>
        <translation>믹서</translation>
    </message>
    <message>
        <source>3D</source>
        <translation>3D</translation>
    </message>
    <message>
        <source>Treble</source>
        <translation>고음</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>저음</translation>
    </message>
</context>
<context>
    <name>OpenFolderPage</name>
    <message>
        <source>Browse...</source>
        <translation>찾아보기...</translation>
    </message>
    <message>
        <source>Open this folder at startup</source>
        <translation>시작할 때 이 폴더 열기</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>하위 폴더 포함</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>폴더 열기</translation>
    </message>
    <message>
        <source>Folder with audio files:</source>
        <translation>오디오 파일이 있는 폴더:</translation>
    </message>
    <message>
        <source>Select folder with audio files</source>
        <translation>오디오 파일이 있는 폴더 선택</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>%1 폴더가 없습니다.</translation>
    </message>
</context>
<context>
    <name>OpenUrlPage</name>
    <message>
        <source>Open URL</source>
        <translation>URL 열기</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>제목</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>주소</translation>
    </message>
    <message>
        <source>URL:</source>
        <translation>주소:</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>제목:</translation>
    </message>
    <message>
        <source>Open...</source>
        <translation>열기...</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>위로</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>아래로</translation>
    </message>
    <message>
        <source>Delese</source>
        <translation>삭제</translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation>전체 삭제</translation>
    </message>
    <message>
        <source>Open SHOUTCast Playlist</source>
        <translation>샤웃캐스트 재생목록 열기</translation>
    </message>
    <message>
        <source>SHOUTCast Playlist Files (.pls)|*.pls|</source>
        <translation>샤웃캐스트 재생목록 파일 (.pls)|*.pls|</translation>
    </message>
</context>
<context>
    <name>PlaybackController</name>
    <message>
        <source>Decoder Error</source>
        <translation>디코더 에러</translation>
    </message>
    <message>
        <source>Connecting...</source>
        <translation>접속중...</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>File loading timeout (%1)</source>
        <translation>파일 로딩 시간 초과 (%1)</translation>
    </message>
    <message>
        <source>File open failed:%1 (%2)</source>
        <translation>파일 열기 실패:%1 (%2)</translation>
    </message>
    <message>
        <source>Sonvale Alarm</source>
        <translation>Sonvale 알림</translation>
    </message>
    <message>
        <source>&lt;HTML&gt;&lt;BODY&gt;The MP3 file of VBR form requires time for loading. Please wait for a while till file loading completion...&lt;/BODY&gt;&lt;/HTML&gt;</source>
        <translation>&lt;HTML&gt;&lt;BODY&gt;VBR 형식의 MP3 파일은 로딩 시간이 오래 걸릴 수 있습니다. 파일 로딩이 완료될 때까지 잠시만 기다려주세요...&lt;/BODY&gt;&lt;/HTML&gt;</translation>
    </message>
    <message>
        <source>Invalid channel handle.</source>
        <translation>오디오 재생 실패</translation>
    </message>
    <message>
        <source>Buffering... (%1%%)</source>
        <translation>버퍼링... (%1%%)</translation>
    </message>
    <message>
        <source>The playlist has nothing to play (%1)</source>
        <translation>재생목록에 재생할 파일이 없습니다 (%1)</translation>
    </message>
    <message>
        <source>This kind of file can&apos;t be played (%1)</source>
        <translation>이 종류의 파일은 재생할 수 없습니다 (%1)</translation>
    </message>
    <message>
        <source>Connection failed (%1)</source>
        <translation>접속 실패 (%1)</translation>
    </message>
    <message>
        <source>Can&apos;t open the file (%1)</source>
        <translation>파일을 열 수 없습니다 (%1)</translation>
    </message>
    <message>
        <source>Connection failed</source>
        <translation>접속 실패</translation>
    </message>
</context>
<context>
    <name>PlaybackSpeedDialog</name>
    <message>
        <source>Playback Speed</source>
        <translation>재생 속도</translation>
    </message>
    <message>
        <source>Slow</source>
        <translation>느리게</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>빠르게</translation>
    </message>
</context>
<context>
    <name>PlayerSession</name>
    <message>
        <source>Lyrics Sync : %1 Second (Default Sync)</source>
        <translation>가사 싱크 : %1초 (기본 싱크)</translation>
    </message>
    <message>
        <source>Lyrics Sync : %1 Second Faster</source>
        <translation>가사 싱크 : %1초 빠르게</translation>
    </message>
    <message>
        <source>Lyrics Sync : %1 Second Slower</source>
        <translation>가사 싱크 : %1초 느리게</translation>
    </message>
    <message>
        <source>Power off refused: no permission to suspend</source>
        <translation>전원 끄기 거부됨: 절전 모드로 전환할 권한이 없습니다</translation>
    </message>
    <message>
        <source>Power off: this system cannot suspend</source>
        <translation>전원 끄기: 이 시스템은 절전 모드로 전환할 수 없습니다</translation>
    </message>
    <message>
        <source>Sonvale Alarm</source>
        <translation>Sonvale 알림</translation>
    </message>
    <message>
        <source>&lt;HTML&gt;&lt;BODY&gt;Sonvale is restarting. Please wait only for a little between until a restart is completed.&lt;/BODY&gt;&lt;/HTML&gt;</source>
        <translation>&lt;HTML&gt;&lt;BODY&gt;Sonvale 재기동중입니다. 재기동이 완료될 때까지 잠시만 기다려주세요...&lt;/BODY&gt;&lt;/HTML&gt;</translation>
    </message>
    <message>
        <source>&lt;HTML&gt;&lt;BODY&gt;By the PDA power off, during decoder recovery, an error occurs and Sonvale is restarted. Please wait only for a little between until a restart is completed.&lt;/BODY&gt;&lt;/HTML&gt;</source>
        <translation>&lt;HTML&gt;&lt;BODY&gt;PDA 전원OFF로 인해 디코더 재기동중 에러가 발생하여 Sonvale를 재기동합니다. 재기동이 완료될 때까지 잠시만 기다려주세요...&lt;/BODY&gt;&lt;/HTML&gt;</translation>
    </message>
</context>
<context>
    <name>Playlist</name>
    <message>
        <source>File open error.</source>
        <translation>파일 열기 실패.</translation>
    </message>
    <message>
        <source>Sonvale Error</source>
        <translation>Sonvale 에러</translation>
    </message>
    <message>
        <source>The saved playlist is damaged. What could be read of it (%1 entries) is kept; the damaged file was saved as &quot;%2&quot;.</source>
        <translation>저장된 재생 목록이 손상되었습니다. 읽을 수 있었던 항목(%1개)은 그대로 두었고, 손상된 파일은 &quot;%2&quot; 파일로 보관했습니다.</translation>
    </message>
    <message>
        <source>The playlist file &quot;%1&quot; is damaged; only %2 entries could be read from it.</source>
        <translation>재생 목록 파일이 손상되었습니다(&quot;%1&quot;). 항목 %2개만 읽을 수 있었습니다.</translation>
    </message>
    <message>
        <source>A playlist holds at most 9999 entries; %1 entries were left out.</source>
        <translation>재생 목록에는 항목을 최대 9999개까지 담을 수 있어 %1개 항목을 넣지 못했습니다.</translation>
    </message>
    <message>
        <source>Do you really want to delete file &quot;%1&quot; ?</source>
        <translation>지정된 파일(%1)을 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; could not be moved to the trash.</source>
        <translation>파일(%1)을 휴지통으로 옮기지 못했습니다.</translation>
    </message>
    <message>
        <source>Sonvale</source>
        <translation>Sonvale</translation>
    </message>
    <message>
        <source>File is not exist in list.</source>
        <translation>재생목록에 파일이 없습니다.</translation>
    </message>
</context>
<context>
    <name>PlaylistDialog</name>
    <message>
        <source>Playlist</source>
        <translation>재생 목록</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>열기</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>저장</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>추가</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>삭제</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>재생</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>적용</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>Files...</source>
        <translation>파일선택</translation>
    </message>
    <message>
        <source>Folder...</source>
        <translation>폴더선택</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>모든파일</translation>
    </message>
    <message>
        <source>One</source>
        <translation>선택목록</translation>
    </message>
    <message>
        <source>All</source>
        <translation>전체목록</translation>
    </message>
    <message>
        <source>File</source>
        <comment>delete</comment>
        <translation>파일삭제</translation>
    </message>
    <message numerus="yes">
        <source>Scanning... %n file(s) found</source>
        <translation>
            <numerusform>검색 중... %n개 파일 찾음</numerusform>
        </translation>
    </message>
    <message>
        <source>Open Playlist File</source>
        <translation>재생 목록 열기</translation>
    </message>
    <message>
        <source>Playlist Files (.wpl)|*.wpl|</source>
        <translation>재생 목록 파일 (.wpl)|*.wpl|</translation>
    </message>
    <message>
        <source>Save Playlist File</source>
        <translation>재생 목록 저장</translation>
    </message>
    <message>
        <source>Audio Files|*.mp2;*.mp3;*.ogg;*.wma;*.asf;*.wav|</source>
        <translation>오디오 파일|*.mp2;*.mp3;*.ogg;*.wma;*.asf;*.wav|</translation>
    </message>
    <message>
        <source>Audio Files|*.mp2;*.mp3;*.ogg;*.wav|</source>
        <translation>오디오 파일|*.mp2;*.mp3;*.ogg;*.wav|</translation>
    </message>
    <message>
        <source>Add Audio Files</source>
        <translation>오디오 파일 추가</translation>
    </message>
    <message>
        <source>Select folder with audio files</source>
        <translation>오디오 파일이 있는 폴더 선택</translation>
    </message>
    <message>
        <source>Include subfolders</source>
        <translation>하위 폴더 포함</translation>
    </message>
    <message>
        <source>Song Information</source>
        <translation>노래 파일 정보</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>위로</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>아래로</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>맨위로</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>맨아래로</translation>
    </message>
    <message>
        <source>View</source>
        <translation>보기</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>가수명</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>노래명</translation>
    </message>
    <message>
        <source>File</source>
        <translation>파일명</translation>
    </message>
    <message>
        <source>Sort</source>
        <translation>정렬</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>앨범명</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>경로명</translation>
    </message>
</context>
<context>
    <name>PresetsPage</name>
    <message>
        <source>Presets</source>
        <translation>프리셋</translation>
    </message>
    <message>
        <source>Double tap a preset to apply it.</source>
        <translation>프리셋을 두 번 누르면 적용됩니다.</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>이름</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>경로</translation>
    </message>
    <message>
        <source>Apply Preset</source>
        <translation>프리셋 적용</translation>
    </message>
    <message>
        <source>Sound Effect</source>
        <translation>음향 효과</translation>
    </message>
    <message>
        <source>Surround</source>
        <translation>서라운드</translation>
    </message>
    <message>
        <source>3D Chorus</source>
        <translation>3D코러스</translation>
    </message>
    <message>
        <source>BassBoost</source>
        <translation>베이스증폭</translation>
    </message>
    <message>
        <source>Reverb</source>
        <translation>리버브</translation>
    </message>
    <message>
        <source>Echo</source>
        <translation>에코</translation>
    </message>
    <message>
        <source>Preamp</source>
        <translation>프리앰프</translation>
    </message>
    <message>
        <source>Save Preset...</source>
        <translation>프리셋 저장...</translation>
    </message>
    <message>
        <source>Save Preset</source>
        <translation>프리셋 저장</translation>
    </message>
    <message>
        <source>Preset name:</source>
        <translation>프리셋 이름:</translation>
    </message>
    <message>
        <source>The preset could not be saved.</source>
        <translation>프리셋을 저장하지 못했습니다.</translation>
    </message>
</context>
<context>
    <name>ReverbPage</name>
    <message>
        <source>Reverb / Echo</source>
        <translation>리버브 / 에코 효과</translation>
    </message>
    <message>
        <source>Reverb</source>
        <translation>리버브</translation>
    </message>
    <message>
        <source>Echo</source>
        <translation>에코</translation>
    </message>
    <message>
        <source>Preamp</source>
        <translation>프리앰프</translation>
    </message>
</context>
<context>
    <name>SkinPage</name>
    <message>
        <source>Skin</source>
        <translation>스킨</translation>
    </message>
    <message>
        <source>Built-in skin</source>
        <translation>기본 스킨</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>찾아보기...</translation>
    </message>
    <message>
        <source>File:</source>
        <translation>파일:</translation>
    </message>
    <message>
        <source>Skins found:</source>
        <translation>찾은 스킨:</translation>
    </message>
    <message>
        <source>Preview:</source>
        <translation>미리 보기:</translation>
    </message>
    <message>
        <source>Select Skin File</source>
        <translation>스킨 파일 선택</translation>
    </message>
    <message>
        <source>Skin File (.wps)</source>
        <translation>스킨 파일 (.wps)</translation>
    </message>
</context>
<context>
    <name>SleepTimerDialog</name>
    <message>
        <source>Stop playing</source>
        <translation>재생 정지</translation>
    </message>
    <message>
        <source>Power off</source>
        <translation>전원 끄기</translation>
    </message>
    <message>
        <source>Turn the display off</source>
        <translation>화면 끄기</translation>
    </message>
    <message>
        <source>Sleep Timer</source>
        <translation>취침 예약</translation>
    </message>
    <message>
        <source>After this long without a key press:</source>
        <translation>이 시간 동안 키를 누르지 않으면:</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>분 후</translation>
    </message>
    <message>
        <source>Enter a number from %1 to %2.</source>
        <translation>%1에서 %2 사이의 숫자를 입력하세요.</translation>
    </message>
</context>
<context>
    <name>SoundEffectsSheet</name>
    <message>
        <source>Sound Effects</source>
        <translation>음향효과</translation>
    </message>
</context>
<context>
    <name>StreamingPage</name>
    <message>
        <source>Streaming</source>
        <translation>스트리밍</translation>
    </message>
    <message>
        <source>Use Proxy Server</source>
        <translation>프록시 서버 사용</translation>
    </message>
    <message>
        <source>Buffer Size (KB)</source>
        <translation>버퍼 크기 (KB)</translation>
    </message>
    <message>
        <source>Prebuffer Size (KB)</source>
        <translation>프리버퍼 크기 (KB)</translation>
    </message>
</context>
<context>
    <name>SurroundPage</name>
    <message>
        <source>Surround / BassBoost</source>
        <translation>서라운드 / 베이스증폭 효과</translation>
    </message>
    <message>
        <source>Surround</source>
        <translation>서라운드</translation>
    </message>
    <message>
        <source>3D Chorus</source>
        <translation>3D코러스</translation>
    </message>
    <message>
        <source>BassBoost</source>
        <translation>베이스증폭</translation>
    </message>
</context>
<context>
    <name>TrackbarField</name>
    <message>
        <source>Enter a number from %1 to %2.</source>
        <translation>%1에서 %2 사이의 숫자를 입력하세요.</translation>
    </message>
</context>
<context>
    <name>VisualizationPage</name>
    <message>
        <source>Visualization</source>
        <translation>시각 효과</translation>
    </message>
    <message>
        <source>Enable equalizer spectrum</source>
        <translation>이퀄라이저 스펙트럼 사용</translation>
    </message>
    <message>
        <source>Turn off specturm and VU-Meter when in background or display off
(To minimize the CPU usage rate)</source>
        <translation>백그라운드 상태이거나 화면이 꺼져 있을 때 스펙트럼과 VU 미터 끄기
(CPU 사용률을 줄이기 위해)</translation>
    </message>
    <message>
        <source>Slow</source>
        <translation>느리게</translation>
    </message>
    <message>
        <source>Fast</source>
        <translation>빠르게</translation>
    </message>
    <message>
        <source>Equalizer spectrum update rate</source>
        <translation>이퀄라이저 스펙트럼 갱신 속도</translation>
    </message>
    <message>
        <source>※ If you setup update rate fast,
    the CPU usage rate becomes high</source>
        <translation>※ 갱신 속도를 빠르게 설정하면
    CPU 사용률이 높아집니다</translation>
    </message>
</context>
<context>
    <name>VolumeStep</name>
    <message>
        <source>Volume Change : %1 %%</source>
        <translation>Volume Change : %1 %%</translation>
    </message>
</context>
</TS>
